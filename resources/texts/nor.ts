<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="nb_NO" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 er klar.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 starter opp...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>Detaljer: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>%1 kunne ikke installeres.</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>%1 kunne ikke startes.</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>Det er ikke nok diskplass.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>Installasjonspakken er skadet.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>Kan ikke skrive til installasjonsmappen.</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>En avbrutt oppdatering kunne ikke fullføres.</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>Klientprogrammet kunne ikke kjøres.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>Installasjonen av dette programmet er ufullstendig. Installer det på nytt.</translation>
    </message>
</context>
</TS>
