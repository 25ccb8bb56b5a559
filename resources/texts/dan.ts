<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="da_DK" sourcelanguage="en_US">
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
        <translation>%1 initialiserer...</translation>
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
        <translation>Der er ikke nok diskplads.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>Installationspakken er beskadiget.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>Der kan ikke skrives til installationsmappen.</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>En afbrudt opdatering kunne ikke fuldføres.</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>Klientprogrammet kunne ikke køres.</translation>
    </message>
    <message>
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>Opdateringen af %1 kunne ikke installeres; den nuværende version kører videre.</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>Der er ikke nok diskplads i %1: %2 kræves, %3 er ledig.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>Der kan ikke skrives til mappen %1.</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>Der kunne ikke skrives en log; detaljerne blev sendt til standardfejl (kør brenthor-loxen i en terminal for at se dem).</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>Programmer kan ikke køres fra %1: filsystemet er monteret med noexec.</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>Klientprogrammet kunne ikke køres: %1.</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>Start %1 igen, når dette er rettet.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>Installationen af dette program er ufuldstændig. Geninstaller det.</translation>
    </message>
</context>
</TS>
