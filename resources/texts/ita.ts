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
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>Impossibile installare l'aggiornamento di %1; la versione attuale continua a funzionare.</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>Spazio su disco insufficiente in %1: servono %2, liberi %3.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>Impossibile scrivere nella cartella %1.</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>Impossibile scrivere il log; i dettagli sono stati inviati allo standard error (eseguire brenthor-loxen in un terminale per vederli).</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>Impossibile eseguire programmi da %1: il suo file system è montato con noexec.</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>Impossibile eseguire il programma client: %1.</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>Dopo aver risolto il problema, riavviare %1.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>L'installazione di questo programma è incompleta. Reinstallalo.</translation>
    </message>
</context>
</TS>
