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
</context>
</TS>
