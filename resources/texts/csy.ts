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
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>Instalace tohoto programu je neúplná. Nainstalujte jej prosím znovu.</translation>
    </message>
</context>
</TS>
