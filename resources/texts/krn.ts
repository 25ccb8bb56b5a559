<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 사용 준비가 되었습니다.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 초기화 중...</translation>
    </message>
</context>
</TS>
