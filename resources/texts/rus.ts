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
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>Не удалось установить обновление %1; текущая версия продолжает работать.</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>Недостаточно места на диске в %1: нужно %2, свободно %3.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>Невозможно записать в папку %1.</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>Не удалось записать журнал; подробности выведены в стандартный поток ошибок (запустите brenthor-loxen в терминале, чтобы их увидеть).</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>Запуск программ из %1 невозможен: файловая система смонтирована с параметром noexec.</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>Не удалось запустить клиентскую программу: %1.</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>После устранения проблемы запустите %1 снова.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>Установка этой программы не завершена. Переустановите её.</translation>
    </message>
</context>
</TS>
