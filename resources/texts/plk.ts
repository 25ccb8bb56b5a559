<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>Aplikacja %1 jest gotowa.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>Aplikacja %1 jest inicjowana...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>Szczegóły: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>Nie można zainstalować aplikacji %1.</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>Nie można uruchomić aplikacji %1.</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>Za mało miejsca na dysku.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>Pakiet instalacyjny jest uszkodzony.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>Nie można zapisać w folderze instalacyjnym.</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>Nie można dokończyć przerwanej aktualizacji.</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>Nie można uruchomić programu klienta.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>Instalacja tego programu jest niekompletna. Zainstaluj go ponownie.</translation>
    </message>
</context>
</TS>
