<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 は準備完了です。</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 は初期化中です。</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>詳細: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>%1 をインストールできませんでした。</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>%1 を起動できませんでした。</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>ディスクの空き容量が不足しています。</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>インストール パッケージが破損しています。</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>インストール フォルダーに書き込めません。</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>中断された更新を完了できませんでした。</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>クライアント プログラムを実行できませんでした。</translation>
    </message>
    <message>
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>%1 の更新をインストールできませんでした。現在のバージョンが引き続き動作します。</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>%1 のディスク容量が不足しています。必要: %2、空き: %3。</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>フォルダー %1 に書き込めません。</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>ログを書き込めませんでした。詳細は標準エラー出力に送られました (確認するには端末で brenthor-loxen を実行してください)。</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>%1 からはプログラムを実行できません。ファイル システムが noexec でマウントされています。</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>クライアント プログラムを実行できませんでした: %1。</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>問題を解決したら、%1 をもう一度起動してください。</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>このプログラムのインストールが不完全です。再インストールしてください。</translation>
    </message>
</context>
</TS>
