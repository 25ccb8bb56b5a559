<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 está lista.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 se está inicializando...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>Detalles: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>No se pudo instalar %1.</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>No se pudo iniciar %1.</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>No hay suficiente espacio en disco.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>El paquete de instalación está dañado.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>No se puede escribir en la carpeta de instalación.</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>No se pudo completar una actualización interrumpida.</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>No se pudo ejecutar el programa cliente.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>La instalación de este programa está incompleta. Vuelva a instalarlo.</translation>
    </message>
</context>
</TS>
