<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="th_TH" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 พร้อมแล้ว</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 กำลังเริ่มต้น...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>รายละเอียด: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>ไม่สามารถติดตั้ง %1 ได้</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>ไม่สามารถเริ่ม %1 ได้</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>พื้นที่ดิสก์ไม่เพียงพอ</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>แพ็กเกจการติดตั้งเสียหาย</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>ไม่สามารถเขียนลงในโฟลเดอร์การติดตั้งได้</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>ไม่สามารถทำการอัปเดตที่ถูกขัดจังหวะให้เสร็จสมบูรณ์ได้</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>ไม่สามารถเรียกใช้โปรแกรมไคลเอ็นต์ได้</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>การติดตั้งโปรแกรมนี้ไม่สมบูรณ์ โปรดติดตั้งใหม่</translation>
    </message>
</context>
</TS>
