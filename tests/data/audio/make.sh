#!/usr/bin/env bash
# Makes the small audio files the track reading tests use, and writes their tags
# with the encoders' and tag writers' own tools, never with TagLib, which the
# designer reads them with: a reader checked only against its own writer proves
# little. The files are checked in beside this script, so neither the build nor the
# tests need these tools; to make the files again (Debian 12):
#
#   apt-get install sox flac lame id3v2 vorbis-tools opus-tools ffmpeg python3-mutagen
#   tests/data/audio/make.sh
#
# Every file is a very quiet tone of a whole number of seconds at a low sample
# rate, a few KB each. Folders:
#   album/        FLAC, Czech titles, track numbers 1, 2, 10, a front cover (PICTURE type 3)
#   compilation/  MP3 (ID3v2 by id3v2, one APIC front cover by ffmpeg), a different artist
#                 on each track, track numbers as "n/3"
#   twodisc/      CD1/ Ogg Vorbis with DISCNUMBER=1, CD2/ Opus without a disc number,
#                 cover.jpg beside them
#   mixed/        M4A with a cover (covr), WAV and AIFF with tags, WMA, all by ffmpeg
#   ape/          Monkey's Audio: Debian has no encoder for it, so the file is a header of
#                 2 s at 8 kHz with placeholder frames (TagLib reads only the header), and its
#                 APEv2 tag is written by Mutagen
#   untagged/     FLAC without tags, named "1 - Úvod.flac" ... "10 - Desátá.flac", a damaged
#                 "poškozený.mp3" and a text file that is no audio
#   cue/          a Windows-1250 CUE sheet over one FLAC file, a UTF-8 one with a BOM whose
#                 audio file is missing
#   playlist.m3u8 album/ in its own order, one missing file with #EXTINF
set -euo pipefail
cd "$(dirname "$0")"
rm -rf album compilation twodisc mixed ape untagged cue playlist.m3u8
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# seconds, file: mono 8 kHz silence with a faint tone, so no encoder drops it
wav() { sox -n -r 8000 -c 1 -b 16 "$2" synth "$1" sine 440 vol 0.0002; }
picture() { ffmpeg -loglevel error -f lavfi -i "color=c=$1:s=32x32" -frames:v 1 -q:v 10 "$2"; }

picture red "$tmp/red.jpg"
picture green "$tmp/green.jpg"
picture blue "$tmp/blue.jpg"

# album/: FLAC with Vorbis comments by metaflac and a front cover block.
mkdir album
flacalbum() { # seconds, number, title, file
  wav "$1" "$tmp/t.wav"
  flac --silent -8 --no-padding -o "album/$4" "$tmp/t.wav"
  metaflac --remove-all-tags --set-tag="TITLE=$3" --set-tag="ARTIST=Hudba Praha" \
    --set-tag="ALBUMARTIST=Hudba Praha" --set-tag="ALBUM=Žlutá ponorka" --set-tag="DATE=1999" \
    --set-tag="TRACKNUMBER=$2" "album/$4"
}
flacalbum 3 10 "Čtvrtá a poslední" "a.flac"
flacalbum 1 1 "Příliš žluťoučký kůň" "b.flac"
flacalbum 2 2 "Úpěl ďábelské ódy" "c.flac"
metaflac --import-picture-from="3|image/jpeg|||$tmp/red.jpg" album/b.flac

# compilation/: MP3 with ID3v2 tags by id3v2; one front cover added by ffmpeg.
mkdir compilation
mp3() { # seconds, number, artist, title, file
  wav "$1" "$tmp/t.wav"
  lame --quiet -b 8 -m m --resample 8 "$tmp/t.wav" "compilation/$5"
  id3v2 --id3v2-only -a "$3" -t "$4" -A "Výběr 2020" -y 2020 -T "$2/3" "compilation/$5"
}
mp3 2 1 "Anna" "Jaro" "01.mp3"
mp3 1 2 "Bohouš" "Léto" "02.mp3"
mp3 2 3 "Cecílie" "Podzim" "03.mp3"
ffmpeg -loglevel error -i compilation/01.mp3 -i "$tmp/green.jpg" -map 0 -map 1 -c copy \
  -id3v2_version 3 -metadata:s:v title="Album cover" -metadata:s:v comment="Cover (front)" "$tmp/01.mp3"
mv "$tmp/01.mp3" compilation/01.mp3

# twodisc/: CD1 Ogg Vorbis (oggenc writes the comments), CD2 Opus (opusenc), cover.jpg.
mkdir -p twodisc/CD1 twodisc/CD2
for n in 1 2; do
  wav 1 "$tmp/t.wav"
  oggenc --quiet -q -1 -t "Disk jedna $n" -a "Dvojka" -l "Dvě desky" -N "$n" -d 2001 \
    -c "DISCNUMBER=1" -o "twodisc/CD1/$n.ogg" "$tmp/t.wav"
  opusenc --quiet --bitrate 6 --title "Disk dva $n" --artist "Dvojka" --album "Dvě desky" \
    --comment "TRACKNUMBER=$n" "$tmp/t.wav" "twodisc/CD2/$n.opus"
done
cp "$tmp/blue.jpg" twodisc/cover.jpg

# mixed/: M4A with a cover, WAV (RIFF INFO), AIFF (ID3 chunk), WMA, all tagged by ffmpeg.
mkdir mixed
wav 1 "$tmp/t.wav"
meta=(-metadata artist="Smíšení" -metadata album="Formáty" -metadata date=2005)
ffmpeg -loglevel error -i "$tmp/t.wav" -i "$tmp/red.jpg" -map 0 -map 1 -c:a aac -b:a 16k -c:v copy \
  -disposition:v attached_pic "${meta[@]}" -metadata title="Jedna v M4A" -metadata track=1 mixed/1.m4a
ffmpeg -loglevel error -i "$tmp/t.wav" "${meta[@]}" -metadata title="Dvě ve WAV" -metadata track=2 mixed/2.wav
ffmpeg -loglevel error -i "$tmp/t.wav" "${meta[@]}" -metadata title="Tři v AIFF" -metadata track=3 \
  -write_id3v2 1 mixed/3.aiff
ffmpeg -loglevel error -i "$tmp/t.wav" -c:a wmav2 -b:a 24k "${meta[@]}" -metadata title="Čtyři ve WMA" \
  -metadata track=4 mixed/4.wma

# ape/: a Monkey's Audio header (descriptor and header of version 3.99) and an APEv2 tag.
mkdir ape
/usr/bin/python3 - <<'PY'
import struct
from mutagen.apev2 import APEv2
path, rate, seconds, frames = 'ape/5.ape', 8000, 2, b'\0' * 64
descriptor = b'MAC ' + struct.pack('<HH7I', 3990, 0, 52, 24, 0, 0, len(frames), 0, 0) + b'\0' * 16
header = struct.pack('<HHIIIHHI', 2000, 0, 73728, rate * seconds, 1, 16, 1, rate)
with open(path, 'wb') as f:
    f.write(descriptor + header + frames)
tag = APEv2()
tag['Title'] = 'Opičí píseň'
tag['Artist'] = 'Opice'
tag['Album'] = 'Zvířata'
tag['Track'] = '5/9'
tag['Year'] = '2011'
tag.save(path)
PY

# untagged/: no tags at all; the titles come from the names.
mkdir untagged
for name in "1 - Úvod" "2 - Druhá" "10 - Desátá"; do
  wav 1 "$tmp/t.wav"
  flac --silent --no-padding -o "untagged/$name.flac" "$tmp/t.wav"
done
head -c 3000 /dev/zero | tr '\0' 'x' | sed 's/^/ID3/' > "untagged/poškozený.mp3"
echo "Poznámky, žádná hudba." > untagged/poznámky.txt

# cue/: one image file with three tracks (1 s, 1 s, and the rest of 4 s).
mkdir cue
wav 4 "$tmp/t.wav"
flac --silent --no-padding -o cue/deska.flac "$tmp/t.wav"
printf '%s\r\n' 'REM DATE 1987' 'PERFORMER "Kühn a Řeřicha"' 'TITLE "Písně z údolí"' 'FILE "deska.flac" WAVE' \
  '  TRACK 01 AUDIO' '    TITLE "Úvodní"' '    INDEX 01 00:00:00' \
  '  TRACK 02 AUDIO' '    TITLE "Říční"' '    INDEX 00 00:00:50' '    INDEX 01 00:01:00' \
  '  TRACK 03 AUDIO' '    TITLE "Závěrečná"' '    PERFORMER "Host"' '    INDEX 01 00:02:00' \
  | iconv -f UTF-8 -t CP1250 > cue/deska.cue
{ printf '\xef\xbb\xbf'; printf '%s\n' 'PERFORMER "Žofie"' 'TITLE "Bez souboru"' 'FILE "chybí.wav" WAVE' \
  '  TRACK 01 AUDIO' '    TITLE "První píseň"' '    INDEX 01 00:00:00' \
  '  TRACK 02 AUDIO' '    TITLE "Druhá píseň"' '    INDEX 01 03:45:00'; } > cue/bom.cue

# playlist.m3u8: album/ in the playlist's order, and one file that is not there.
printf '%s\n' '#EXTM3U' '#EXTINF:2,Hudba Praha - Úpěl ďábelské ódy' 'album/c.flac' \
  'album/b.flac' '#EXTINF:225,Jiný - Ztracená' 'ztracená.mp3' 'album/a.flac' > playlist.m3u8
