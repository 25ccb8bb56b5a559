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
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>Das Update von %1 konnte nicht installiert werden; die aktuelle Version läuft weiter.</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>In %1 ist nicht genügend Speicherplatz vorhanden: %2 werden benötigt, %3 sind frei.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>In den Ordner %1 kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>Es konnte kein Protokoll geschrieben werden; die Einzelheiten gingen an die Standardfehlerausgabe (starten Sie brenthor-loxen in einem Terminal, um sie zu sehen).</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>Aus %1 können keine Programme ausgeführt werden: Das Dateisystem ist mit noexec eingehängt.</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>Das Client-Programm konnte nicht ausgeführt werden: %1.</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>Starten Sie %1 erneut, sobald das Problem behoben ist.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>Die Installation dieses Programms ist unvollständig. Bitte installieren Sie es erneut.</translation>
    </message>
</context>
</TS>
