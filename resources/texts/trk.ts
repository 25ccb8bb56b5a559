<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="tr_TR" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 hazır.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 başlıyor...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>Ayrıntılar: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>%1 yüklenemedi.</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>%1 başlatılamadı.</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>Yeterli disk alanı yok.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>Kurulum paketi bozuk.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>Kurulum klasörüne yazılamıyor.</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>Yarıda kalan bir güncelleme tamamlanamadı.</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>İstemci programı çalıştırılamadı.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>Bu programın kurulumu eksik. Lütfen yeniden kurun.</translation>
    </message>
</context>
</TS>
