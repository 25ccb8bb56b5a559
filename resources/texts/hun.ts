<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="hu_HU" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>A %1 készen áll.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>A %1 inicializálása folyamatban...</translation>
    </message>
</context>
</TS>
