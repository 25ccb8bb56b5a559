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
    <message>
        <source>Details: %1</source>
        <translation>자세한 내용: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>%1을(를) 설치할 수 없습니다.</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>%1을(를) 시작할 수 없습니다.</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>디스크 공간이 부족합니다.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>설치 패키지가 손상되었습니다.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>설치 폴더에 쓸 수 없습니다.</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>중단된 업데이트를 완료할 수 없습니다.</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>클라이언트 프로그램을 실행할 수 없습니다.</translation>
    </message>
    <message>
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>%1 업데이트를 설치할 수 없습니다. 현재 버전이 계속 실행됩니다.</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>%1에 디스크 공간이 부족합니다. 필요: %2, 사용 가능: %3.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>%1 폴더에 쓸 수 없습니다.</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>로그를 기록할 수 없습니다. 자세한 내용은 표준 오류로 출력되었습니다(터미널에서 brenthor-loxen을 실행하면 볼 수 있습니다).</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>%1에서 프로그램을 실행할 수 없습니다. 파일 시스템이 noexec로 마운트되어 있습니다.</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>클라이언트 프로그램을 실행할 수 없습니다: %1.</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>문제를 해결한 후 %1을(를) 다시 시작하십시오.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>이 프로그램의 설치가 완전하지 않습니다. 다시 설치하십시오.</translation>
    </message>
</context>
</TS>
