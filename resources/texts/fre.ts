<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 est prêt.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 est en cours d'initialisation...</translation>
    </message>
</context>
</TS>
