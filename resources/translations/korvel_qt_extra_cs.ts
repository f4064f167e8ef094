<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!--
  The Czech words Qt 6.4's own catalogue (qtbase_cs) lacks, for the windows and
  messages of Qt that the program shows, and the few it gets wrong. Each context and source text is exactly
  as Qt 6.4 asks for it; the catalogue is compiled with lrelease at build time,
  built into both executables and installed after Qt's, so where both have a word
  this one wins. korvel-print loads only this catalogue, so it carries the
  command line's words (QCommandLineParser) as well.
-->
<TS version="2.1" language="cs_CZ">
<context>
    <name>QColorDialog</name>
    <!-- Qt's catalogue gives "Hodnota" and "HTML" the same key, Alt+H, and "Zelená"
         and "Zvolit barvu obrazovky" Alt+Z: each gets a letter of its own. -->
    <message>
        <source>&amp;HTML:</source>
        <translation>H&amp;TML:</translation>
    </message>
    <message>
        <source>&amp;Pick Screen Color</source>
        <translation>Z&amp;volit barvu obrazovky</translation>
    </message>
</context>
<context>
    <name>QFontDialog</name>
    <!-- "Podtrhnout" and the writing system both took Alt+P. -->
    <message>
        <source>Wr&amp;iting System</source>
        <translation>S&amp;ystém písma</translation>
    </message>
</context>
<context>
    <name>QPrintSettingsOutput</name>
    <message>
        <source>Pages</source>
        <translation>Strany</translation>
    </message>
    <message>
        <source>Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.</source>
        <translation>Zadejte strany nebo rozsahy oddělené čárkami. Rozsah tvoří dvě čísla spojená pomlčkou. Například 3,5-7,9 vytiskne strany 3, 5, 6, 7 a 9.</translation>
    </message>
    <message>
        <source>Double Sided Printing</source>
        <translation>Oboustranný tisk</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Vypnuto</translation>
    </message>
    <message>
        <source>Long side binding</source>
        <translation>Vazba na delší straně</translation>
    </message>
    <message>
        <source>Short side binding</source>
        <translation>Vazba na kratší straně</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesWidget</name>
    <message>
        <source>Advanced</source>
        <translation>Rozšířené</translation>
    </message>
    <message>
        <source>There are conflicts in some options. Please fix them.</source>
        <translation>Některé volby si odporují. Opravte je, prosím.</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesDialog</name>
    <message>
        <source>Page Setup Conflicts</source>
        <translation>Rozpor v nastavení stránky</translation>
    </message>
    <message>
        <source>There are conflicts in page setup options. Do you want to fix them?</source>
        <translation>Volby nastavení stránky si odporují. Chcete je opravit?</translation>
    </message>
    <message>
        <source>Advanced Option Conflicts</source>
        <translation>Rozpor v rozšířených volbách</translation>
    </message>
    <message>
        <source>There are conflicts in some advanced options. Do you want to fix them?</source>
        <translation>Některé rozšířené volby si odporují. Chcete je opravit?</translation>
    </message>
</context>
<context>
    <name>QPrintDialog</name>
    <message>
        <source>Invalid Pages Definition</source>
        <translation>Neplatný výběr stran</translation>
    </message>
    <message>
        <source>%1 does not follow the correct syntax. Please use &apos;,&apos; to separate ranges and pages, &apos;-&apos; to define ranges and make sure ranges do not intersect with each other.</source>
        <translation>„%1“ nemá správný tvar. Strany a rozsahy oddělte čárkou (,), rozsah zapište dvěma čísly s pomlčkou (-) a rozsahy se nesmějí překrývat.</translation>
    </message>
    <message>
        <source>Duplex Settings Conflicts</source>
        <translation>Rozpor v nastavení oboustranného tisku</translation>
    </message>
    <message>
        <source>There are conflicts in duplex settings. Do you want to fix them?</source>
        <translation>Nastavení oboustranného tisku si odporuje. Chcete je opravit?</translation>
    </message>
</context>
<context>
    <name>QPageSetupWidget</name>
    <!-- The unit after a number in the size and margin boxes: Czech writes a space
         between them ("210,00 mm"); the number itself follows the Czech locale the
         program sets. -->
    <message>
        <source>mm</source>
        <translation> mm</translation>
    </message>
    <message>
        <source>pt</source>
        <translation> pt</translation>
    </message>
    <message>
        <source>in</source>
        <translation> in</translation>
    </message>
    <message>
        <source>P̸</source>
        <translation> P̸</translation>
    </message>
    <message>
        <source>DD</source>
        <translation> DD</translation>
    </message>
    <message>
        <source>CC</source>
        <translation> CC</translation>
    </message>
</context>
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Drive</source>
        <translation>Disková jednotka</translation>
    </message>
    <message>
        <source>Folder</source>
        <comment>All other platforms</comment>
        <translation>Složka</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Neznámý</translation>
    </message>
</context>
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Usage: %1</source>
        <translation>Použití: %1</translation>
    </message>
    <message>
        <source>[options]</source>
        <translation>[volby]</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>Volby:</translation>
    </message>
    <message>
        <source>Arguments:</source>
        <translation>Argumenty:</translation>
    </message>
    <message>
        <source>Displays help on commandline options.</source>
        <translation>Vypíše tuto nápovědu.</translation>
    </message>
    <message>
        <source>Displays help including Qt specific options.</source>
        <translation>Vypíše nápovědu i s volbami knihovny Qt.</translation>
    </message>
    <message>
        <source>Displays version information.</source>
        <translation>Vypíše verzi programu.</translation>
    </message>
    <message>
        <source>Unknown option &apos;%1&apos;.</source>
        <translation>Neznámá volba „%1“.</translation>
    </message>
    <message>
        <source>Unknown options: %1.</source>
        <translation>Neznámé volby: %1.</translation>
    </message>
    <message>
        <source>Missing value after &apos;%1&apos;.</source>
        <translation>Za „%1“ chybí hodnota.</translation>
    </message>
    <message>
        <source>Unexpected value after &apos;%1&apos;.</source>
        <translation>Za „%1“ nemá být hodnota.</translation>
    </message>
</context>
</TS>
