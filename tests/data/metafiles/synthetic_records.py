# Writes synthetic_records.emf and synthetic_records.wmf: one of most record kinds the
# player handles (shapes, 16-bit polygons, arcs, regions, clips, paths, world
# transforms, pattern and mono brushes, bitmaps with raster operations, alpha
# blending, gradients, charset-238 text). Usage: synthetic_records.py OUT.emf OUT.wmf
import struct, sys
def i32s(*v): return b''.join(struct.pack('<i', x) if x < 2**31 else struct.pack('<I', x) for x in v)
def f32(x): return struct.unpack('<i', struct.pack('<f', x))[0]
recs=[]
def rec(t, *words, tail=b''):
    body = i32s(*words) + tail
    while len(body) % 4: body += b'\0'
    recs.append(struct.pack('<II', t, 8 + len(body)) + body)
def dib(w, h, bpp, colors=0, bits=None):
    hdr = struct.pack('<IiiHHIIiiII', 40, w, h, 1, bpp, 0, 0, 0, 0, colors, 0)
    pal = b''.join(bytes([i*255//max(colors-1,1)]*3+[0]) for i in range(colors))
    stride = ((w*bpp+31)//32)*4
    if bits is None: bits = bytes((i*37) & 0xFF for i in range(stride*h))
    return hdr + pal, bits
def blob_records(fixed_words, info, bits):
    # returns words with offsets patched: caller supplies fixed part length in words
    return info, bits
W=400
# header placeholder
rec(17, 8); rec(9, 1000, 1000); rec(11, W, W); rec(10, 0, 0); rec(12, 0, 0)
rec(39, 1, 0, 0x00C0FF, 0); rec(37, 1)
rec(38, 2, 0x2, 5, 0, 0x0000FF); rec(37, 2)   # dotted pen width 5
rec(43, 10, 10, 200, 120); rec(44, 220, 10, 400, 120, 40, 30)
rec(57, 2); rec(45, 10, 130, 200, 250, 200, 190, 10, 130); rec(57, 1)
rec(46, 220, 130, 400, 250, 400, 190, 220, 130); rec(47, 10, 260, 200, 380, 200, 320, 100, 260)
rec(27, 300, 300); rec(55, 220, 260, 400, 380, 400, 320, 300, 260)
rec(41, 300, 320, 40, f32(10.0), f32(200.0))
pts16 = struct.pack('<6h', 500, 10, 600, 100, 450, 120)
rec(86, 0,0,0,0, 3, tail=pts16); rec(87, 0,0,0,0, 3, tail=pts16)
rec(27, 500, 200); rec(88, 0,0,0,0, 3, tail=struct.pack('<6h', 520, 150, 580, 250, 600, 200))
rec(89, 0,0,0,0, 2, tail=struct.pack('<4h', 650, 220, 700, 260))
rec(91, 0,0,0,0, 2, 6, 3, 3, tail=struct.pack('<12h', 700,10,800,10,750,80, 720,20,780,20,750,60))
rec(90, 0,0,0,0, 2, 4, 2, 2, tail=struct.pack('<8h', 700,100,800,100,700,120,800,120))
rec(56, 0,0,0,0, 4, 820,10, 900,10, 900,80, 820,80, tail=bytes([6,2,4|1,2]))
rec(19, 2); rec(22, 24 | 1)
# fonts: charset 238 ANSI and a wide font with escapement
lf = struct.pack('<5i8B', -30, 0, 450, 0, 700, 1, 1, 1, 238, 0, 0, 0, 0) + 'Arial'.encode('utf-16le').ljust(64, b'\0')
rec(82, 3, tail=lf); rec(37, 3)
s = 'P\xf8\xedli\x9a'.encode('latin-1')
rec(83, 0,0,0,0, 1, 0, 0, 10, 500, len(s), 76, 0x6, 0, 480, 300, 520, 76+8, tail=s.ljust(8, b'\0') + i32s(*([20]*len(s))))
rec(25, 0x00FFFF); rec(18, 2)
t = 'Hřbet €'.encode('utf-16le')
rec(84, 0,0,0,0, 1, 0, 0, 300, 500, len(t)//2, 76, 0x2000 | 0x4, 280, 460, 600, 540, 76 + len(t), tail=t + i32s(*([25, 0]*(len(t)//2))))
rec(18, 1)
# clipping
rec(30, 0, 0, 900, 900); rec(29, 50, 50, 60, 60); rec(26, 5, 5)
rgn = struct.pack('<IIII4i', 32, 1, 2, 32, 0, 0, W, W) + i32s(0, 0, 200, 200, 200, 200, W, W)
rec(75, len(rgn), 1, tail=rgn); rec(75, len(rgn), 4, tail=rgn); rec(75, 0, 5)
rec(71, 0,0,0,0, len(rgn), 1, tail=rgn); rec(74, 0,0,0,0, len(rgn), tail=rgn)
# paths
rec(59); rec(27, 100, 600); rec(54, 300, 600); rec(5, 0,0,0,0, 3, 350,650, 300,700, 250,700); rec(61); rec(60)
rec(66); rec(62)
rec(59); rec(42, 100, 620, 300, 800); rec(60); rec(67, 1)
rec(59); rec(43, 120, 640, 280, 780); rec(60); rec(67, 3); rec(75, 0, 5)
rec(33); rec(36, f32(0.8), f32(0.6), f32(-0.6), f32(0.8), f32(10), f32(20), 2); rec(35, f32(1), 0, 0, f32(1), 0, 0)
rec(36, f32(1), f32(0.2), 0, f32(1), 0, 0, 3); rec(34, -1)
rec(68); rec(21, 4); rec(13, 0, 0)
# brushes
info, bits = dib(8, 8, 1, 2)
rec(93, 4, 0, 32, len(info), 32+len(info), len(bits), tail=info+bits); rec(37, 4); rec(43, 400, 600, 500, 700)
info, bits = dib(4, 4, 24)
rec(94, 5, 0, 32, len(info), 32+len(info), len(bits), tail=info+bits); rec(37, 5); rec(43, 500, 600, 600, 700)
rec(39, 6, 2, 0x008000, 3); rec(37, 6); rec(43, 600, 600, 700, 700)
rec(40, 4); rec(40, 5); rec(37, 0x80000000 | 5)
rec(95, 7, 0, 0, 0, 0, 0x10000 | 7 | 0x100 | 0x1000, 8, 0, 0x800000, 0, 3, 10, 5, 2); rec(37, 7)
rec(58, 4); rec(4, 0,0,0,0, 3, 700, 600, 800, 700, 900, 600)
rec(20, 11); rec(43, 0, 0, 1000, 1000); rec(20, 1); rec(43, 0, 0, 10, 10); rec(20, 13)
# bitmaps
info, bits = dib(4, 2, 24)
n = 80
rec(81, 0,0,0,0, 700, 700, 0, 0, 4, 2, n, len(info), n+len(info), len(bits), 0, 0xCC0020, 100, 50, tail=info+bits)
rec(81, 0,0,0,0, 700, 760, 0, 0, 4, 2, n, len(info), n+len(info), len(bits), 0, 0x330008, -100, 50, tail=info+bits)
info8, bits8 = dib(4, 2, 8, 4)
rec(81, 0,0,0,0, 800, 700, 0, 0, 4, 2, n, len(info8), n+len(info8), len(bits8), 0, 0xEE0086, 100, 50, tail=info8+bits8)
rec(81, 0,0,0,0, 800, 700, 0, 0, 4, 2, n, len(info), n+len(info), len(bits), 0, 0x8800C6, 100, 50, tail=info+bits)
xf = [f32(1), 0, 0, f32(1), 0, 0]
rec(76, 0,0,0,0, 700, 820, 100, 50, 0xCC0020, 0, 0, *xf, 0, 0, 100, len(info), 100+len(info), len(bits), tail=info+bits)
rec(76, 0,0,0,0, 700, 880, 100, 50, 0xF00021, 0, 0, *xf, 0, 0, 0, 0, 0, 0)
rec(76, 0,0,0,0, 800, 880, 100, 50, 0x000042, 0, 0, *xf, 0, 0, 0, 0, 0, 0)
rec(77, 0,0,0,0, 800, 820, 100, 50, 0xCC0020, 0, 0, *xf, 0, 0, 108, len(info), 108+len(info), len(bits), 4, 2, tail=info+bits)
info32, bits32 = dib(2, 2, 32)
rec(114, 0,0,0,0, 900, 700, 50, 50, 0x01800000, 0, 0, *xf, 0, 0, 108, len(info32), 108+len(info32), len(bits32), 2, 2, tail=info32+bits32)
rec(116, 0,0,0,0, 900, 760, 50, 50, 0x00FFFFFF, 0, 0, *xf, 0, 0, 108, len(info), 108+len(info), len(bits), 4, 2, tail=info+bits)
rec(80, 0,0,0,0, 900, 820, 0, 0, 4, 2, 76, len(info), 76+len(info), len(bits), 0, 0, 2, tail=info+bits)
rec(118, 0,0,0,0, 3, 1, 2, 900,900,0,0xFF00, 1000,900,0xFF000000,0, 950,1000,0,0xFF00FF00, 0,1,2)
rec(118, 0,0,0,0, 2, 1, 1, 0,900,0,0, 100,1000,0xFFFFFFFF,0xFFFF, 0,1)
rec(70, 8, tail=b'EMF+\x01\x40\x00\x00')
rec(14, 0, 16, 20)
body = b''.join(recs)
header = struct.pack('<II4i4iIIIIHHIII2i2i', 1, 88, 0, 0, W, W, 0, 0, 10583, 10583, 0x464D4520, 0x10000,
                     88 + len(body), len(recs)+1, 16, 0, 0, 0, 0, 960, 960, 254, 254)
open(sys.argv[1], 'wb').write(header + body)

# WMF with the 16-bit records
w=[]
def wr(fn, *params, tail=b''):
    body = b''.join(struct.pack('<h', p) if -32768 <= p < 32768 else struct.pack('<H', p & 0xFFFF) for p in params) + tail
    if len(body) % 2: body += b'\0'
    w.append(struct.pack('<IH', 3 + len(body)//2, fn) + body)
def lo_hi(v): return [v & 0xFFFF, (v >> 16) & 0xFFFF]
wr(0x020B, 0, 0); wr(0x020C, 1000, 1000); wr(0x020F, 10, 10); wr(0x0410, 1, 1, 1, 1)
wr(0x02FC, 2, *lo_hi(0x0000FF), 4); wr(0x012D, 0)
wr(0x02FA, 1, 3, 0, *lo_hi(0xFF0000)); wr(0x012D, 1)
wr(0x0817, 300, 0, 0, 300, 300, 300, 0, 0); wr(0x081A, 600, 300, 300, 600, 600, 600, 300, 300)
wr(0x0830, 900, 600, 600, 900, 900, 900, 600, 600); wr(0x061C, 40, 40, 300, 900, 0, 700)
wr(0x041F, *lo_hi(0x00FF00), 500, 500)
info, bits = dib(4, 2, 24)
wr(0x061D, *lo_hi(0xF00021), 50, 50, 800, 100)
wr(0x0940, *lo_hi(0xCC0020), 0, 0, 2, 4, 850, 100, tail=info+bits)
wr(0x0B41, *lo_hi(0xCC0020), 2, 4, 0, 0, 100, 100, 900, 100, tail=info+bits)
wr(0x0B41, *lo_hi(0x000042), 2, 4, 0, 0, 0, 100, 100, 900, 200)
wr(0x0D33, 0, 2, 0, 0, 0, 2, 4, 950, 100, tail=info+bits)
wr(0x0142, 5, 0, tail=info+bits); wr(0x012D, 2)
wr(0x01F9, 0, 0, 0, 0, 0, 0, 0); wr(0x00F7, 0x300, 1, 0, 0)
wr(0x06FF, 0, 6, 0, 0, 0, 2, 4, 0, 0, 1000, 1000, 2, 100, 400, 100, 400, 2, 2, 500, 900, 500, 900, 2)
wr(0x0228, 5, 0); wr(0x012B, 5); wr(0x0429, 5, 0, 20, 20)
wr(0x012C, 5); wr(0x041B, 1000, 1000, 0, 0); wr(0x012C, 99)
wr(0x012C, 4); wr(0x0415, 600, 600, 500, 500); wr(0x0416, 900, 900, 0, 0); wr(0x0220, 5, 5)
wr(0x041B, 900, 900, 700, 700)
lf = struct.pack('<5h8B', -40, 0, 900, 0, 400, 0, 1, 0, 238, 0, 0, 0, 0) + b'Arial'.ljust(32, b'\0')
wr(0x02FB, tail=lf); wr(0x012D, 6)
wr(0x012E, 6); wr(0x0102, 2); wr(0x0201, *lo_hi(0x00FFFF)); wr(0x0209, *lo_hi(0x800000))
s = b'P\xf8\xedli\x9a'
wr(0x0A32, 500, 100, len(s), 6, 90, 480, 300, 540, tail=s + struct.pack('<6h', *([30]*6)))
wr(0x0521, len(s), tail=s + struct.pack('<2h', 600, 100))
wr(0x001E); wr(0x0104, 7); wr(0x0106, 2); wr(0x0127, -1)
wr(0x0538, 2, 3, 3, tail=struct.pack('<12h', 0,0,100,0,50,80, 10,10,90,10,50,60))
wr(0x0325, 3, tail=struct.pack('<6h', 0,900,100,950,200,900))
wr(0x01F0, 0); wr(0x0000)
body = b''.join(w)
place = struct.pack('<IHhhhhHIH', 0x9AC6CDD7, 0, 0, 0, 1000, 1000, 1000, 0, 0)
hdr = struct.pack('<HHHIHIH', 1, 9, 0x300, (18 + len(body))//2, 8, 100, 0)
open(sys.argv[2], 'wb').write(place + hdr + body)
