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
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>Oppdateringen av %1 kunne ikke installeres; gjeldende versjon kjører videre.</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>Det er ikke nok diskplass i %1: %2 trengs, %3 er ledig.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>Kan ikke skrive til mappen %1.</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>Kunne ikke skrive logg; detaljene gikk til standard feil (kjør brenthor-loxen i en terminal for å se dem).</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>Programmer kan ikke kjøres fra %1: filsystemet er montert med noexec.</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>Klientprogrammet kunne ikke kjøres: %1.</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>Start %1 på nytt når dette er rettet.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>Installasjonen av dette programmet er ufullstendig. Installer det på nytt.</translation>
    </message>
</context>
</TS>
