<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 готов.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 выполняет инициализацию...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>Подробности: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>Не удалось установить %1.</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>Не удалось запустить %1.</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>Недостаточно места на диске.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>Установочный пакет повреждён.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>Нет доступа на запись в папку установки.</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>Не удалось завершить прерванное обновление.</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>Не удалось запустить клиентскую программу.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>Установка этой программы не завершена. Переустановите её.</translation>
    </message>
</context>
</TS>
