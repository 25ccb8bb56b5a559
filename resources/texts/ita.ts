<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it_IT" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 pronta.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 sta inizializzando...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>Dettagli: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>Impossibile installare %1.</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>Impossibile avviare %1.</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>Spazio su disco insufficiente.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>Il pacchetto di installazione è danneggiato.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>Impossibile scrivere nella cartella di installazione.</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>Impossibile completare un aggiornamento interrotto.</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>Impossibile eseguire il programma client.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>L'installazione di questo programma è incompleta. Reinstallalo.</translation>
    </message>
</context>
</TS>
