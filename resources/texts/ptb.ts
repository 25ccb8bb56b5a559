<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>O %1 está pronto.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>O %1 está sendo inicializado...</translation>
    </message>
</context>
</TS>
