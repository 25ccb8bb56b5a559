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
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>Nie można zainstalować aktualizacji aplikacji %1; bieżąca wersja nadal działa.</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>Za mało miejsca na dysku w %1: potrzeba %2, wolne %3.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>Nie można zapisywać w folderze %1.</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>Nie można zapisać dziennika; szczegóły trafiły na standardowe wyjście błędów (uruchom brenthor-loxen w terminalu, aby je zobaczyć).</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>Nie można uruchamiać programów z %1: system plików jest zamontowany z opcją noexec.</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>Nie można uruchomić programu klienta: %1.</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>Po usunięciu problemu uruchom ponownie aplikację %1.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>Instalacja tego programu jest niekompletna. Zainstaluj go ponownie.</translation>
    </message>
</context>
</TS>
