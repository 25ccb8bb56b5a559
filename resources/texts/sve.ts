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
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>Installationen av det här programmet är ofullständig. Installera om det.</translation>
    </message>
</context>
</TS>
