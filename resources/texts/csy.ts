<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="cs_CZ" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 je připravena.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 se inicializuje...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>Podrobnosti: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>%1 se nepodařilo nainstalovat.</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>%1 se nepodařilo spustit.</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>Na disku není dostatek místa.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>Instalační balíček je poškozený.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>Do instalační složky nelze zapisovat.</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>Přerušenou aktualizaci se nepodařilo dokončit.</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>Klientský program se nepodařilo spustit.</translation>
    </message>
    <message>
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>Aktualizaci aplikace %1 nelze nainstalovat; aktuální verze dál běží.</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>V umístění %1 není dost místa na disku: je potřeba %2, volných je %3.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>Do složky %1 nelze zapisovat.</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>Protokol nelze zapsat; podrobnosti šly na standardní chybový výstup (spusťte brenthor-loxen v terminálu, abyste je viděli).</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>Z umístění %1 nelze spouštět programy: jeho systém souborů je připojen s volbou noexec.</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>Klientský program nelze spustit: %1.</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>Po odstranění problému spusťte %1 znovu.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>Instalace tohoto programu je neúplná. Nainstalujte jej prosím znovu.</translation>
    </message>
</context>
</TS>
