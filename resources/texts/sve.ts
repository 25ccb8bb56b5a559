<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="sv_SE" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 är klar.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 initialiserar...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>Detaljer: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>%1 kunde inte installeras.</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>%1 kunde inte startas.</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>Det finns inte tillräckligt med diskutrymme.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>Installationspaketet är skadat.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>Det går inte att skriva till installationsmappen.</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>En avbruten uppdatering kunde inte slutföras.</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>Klientprogrammet kunde inte köras.</translation>
    </message>
    <message>
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>Uppdateringen av %1 kunde inte installeras; den aktuella versionen fortsätter att köras.</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>Det finns inte tillräckligt med diskutrymme i %1: %2 behövs, %3 är ledigt.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>Det går inte att skriva till mappen %1.</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>Ingen logg kunde skrivas; detaljerna gick till standardfel (kör brenthor-loxen i en terminal för att se dem).</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>Program kan inte köras från %1: filsystemet är monterat med noexec.</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>Klientprogrammet kunde inte köras: %1.</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>Starta %1 igen när detta är åtgärdat.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>Installationen av det här programmet är ofullständig. Installera om det.</translation>
    </message>
</context>
</TS>
