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
    <message>
        <source>Details: %1</source>
        <translation>Detalhes: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>Não foi possível instalar o %1.</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>Não foi possível iniciar o %1.</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>Não há espaço suficiente em disco.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>O pacote de instalação está danificado.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>Não é possível gravar na pasta de instalação.</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>Não foi possível concluir uma atualização interrompida.</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>Não foi possível executar o programa cliente.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>A instalação deste programa está incompleta. Reinstale-o.</translation>
    </message>
</context>
</TS>
