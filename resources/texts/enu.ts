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
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>The installation of this program is incomplete. Please reinstall it.</translation>
    </message>
</context>
</TS>
