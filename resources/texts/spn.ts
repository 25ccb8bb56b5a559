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
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>No se pudo instalar la actualización de %1; la versión actual sigue en ejecución.</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>No hay suficiente espacio en disco en %1: se necesitan %2 y hay %3 libres.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>No se puede escribir en la carpeta %1.</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>No se pudo escribir el registro; los detalles se enviaron a la salida de error estándar (ejecute brenthor-loxen en un terminal para verlos).</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>No se pueden ejecutar programas desde %1: su sistema de archivos está montado con noexec.</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>No se pudo ejecutar el programa cliente: %1.</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>Una vez solucionado, vuelva a iniciar %1.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>La instalación de este programa está incompleta. Vuelva a instalarlo.</translation>
    </message>
</context>
</TS>
