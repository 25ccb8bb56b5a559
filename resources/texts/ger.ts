<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 ist bereit.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 wird initialisiert ...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>Weitere Informationen: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>%1 konnte nicht installiert werden.</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>%1 konnte nicht gestartet werden.</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>Es ist nicht genügend Speicherplatz vorhanden.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>Das Installationspaket ist beschädigt.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>In den Installationsordner kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>Eine unterbrochene Aktualisierung konnte nicht abgeschlossen werden.</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>Das Client-Programm konnte nicht ausgeführt werden.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>Die Installation dieses Programms ist unvollständig. Bitte installieren Sie es erneut.</translation>
    </message>
</context>
</TS>
