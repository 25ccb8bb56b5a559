<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_PT" sourcelanguage="en_US">
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
        <translation>%1 a iniciar...</translation>
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
        <translation>Não existe espaço suficiente no disco.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>O pacote de instalação está danificado.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>Não é possível escrever na pasta de instalação.</translation>
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
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>Não foi possível instalar a atualização de %1; a versão atual continua em execução.</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>Não existe espaço em disco suficiente em %1: são necessários %2, estão livres %3.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>Não é possível escrever na pasta %1.</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>Não foi possível escrever o registo; os detalhes foram para a saída de erro padrão (execute brenthor-loxen num terminal para os ver).</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>Não é possível executar programas a partir de %1: o sistema de ficheiros está montado com noexec.</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>Não foi possível executar o programa cliente: %1.</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>Depois de corrigir isto, inicie %1 novamente.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>A instalação deste programa está incompleta. Reinstale-o.</translation>
    </message>
</context>
</TS>
