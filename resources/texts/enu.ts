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
</context>
</TS>
