<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 is ready.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 is initializing...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>Details: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>%1 could not be installed.</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>%1 could not be started.</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>There is not enough disk space.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>The installation package is damaged.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>The installation folder cannot be written to.</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>An interrupted update could not be completed.</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>The client program could not be run.</translation>
    </message>
    <message>
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>The update of %1 could not be installed; the current version keeps running.</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>There is not enough disk space in %1: %2 is needed, %3 is free.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>The folder %1 cannot be written to.</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>Programs cannot be run from %1: its file system is mounted noexec.</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>The client program could not be run: %1.</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>Once this is fixed, start %1 again.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>The installation of this program is incomplete. Please reinstall it.</translation>
    </message>
</context>
</TS>
