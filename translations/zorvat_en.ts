<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja_JP">
<context>
    <name>CellNames</name>
    <message>
        <source>赤い顔</source>
        <translation>Red face</translation>
    </message>
    <message>
        <source>青い顔</source>
        <translation>Blue face</translation>
    </message>
    <message>
        <source>黄色い顔</source>
        <translation>Yellow face</translation>
    </message>
    <message>
        <source>緑の顔</source>
        <translation>Green face</translation>
    </message>
    <message>
        <source>水色の顔</source>
        <translation>Light cyan face</translation>
    </message>
    <message>
        <source>%1行%2列、%3</source>
        <translation>Row %1, column %2: %3</translation>
    </message>
    <message>
        <source>隠れている</source>
        <translation>hidden</translation>
    </message>
    <message>
        <source>タイトルの絵</source>
        <translation>title picture</translation>
    </message>
    <message>
        <source>正解の絵</source>
        <translation>correct-answer picture</translation>
    </message>
    <message>
        <source>ゲームオーバーの絵</source>
        <translation>game-over picture</translation>
    </message>
    <message>
        <source>空き</source>
        <translation>empty</translation>
    </message>
</context>
<context>
    <name>GameText</name>
    <message>
        <source>%1問目</source>
        <translation>Q. %1</translation>
    </message>
    <message>
        <source>%1点</source>
        <translation>%1 pts</translation>
    </message>
    <message>
        <source>スコア：%1点をインターネットランキング申請しますか？</source>
        <translation>Score: %1 points. Send it to the internet ranking?</translation>
    </message>
    <message>
        <source>%1 に書き込めません</source>
        <translation>Cannot write to %1</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙが見つかりません</source>
        <translation>File not found</translation>
    </message>
    <message>
        <source>不正なﾌｧｲﾙ名です</source>
        <translation>Invalid file name</translation>
    </message>
    <message>
        <source>ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます</source>
        <translation>Too many open files</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙへのｱｸｾｽが拒否されました</source>
        <translation>Access to the file was denied</translation>
    </message>
    <message>
        <source>ﾃﾞｨｽｸがいっぱいです</source>
        <translation>The disk is full</translation>
    </message>
    <message>
        <source>I/O ｴﾗｰ (%1)</source>
        <translation>I/O error (%1)</translation>
    </message>
    <message>
        <source>テキストを Shift-JIS に変換できません</source>
        <translation>The text cannot be converted to Shift-JIS</translation>
    </message>
    <message>
        <source>画像 %1 を読み込めません</source>
        <translation>Cannot read the picture %1</translation>
    </message>
    <message>
        <source>%1 が見つかりません</source>
        <translation>%1 was not found</translation>
    </message>
    <message>
        <source>%1 を読み込めません</source>
        <translation>Cannot read %1</translation>
    </message>
    <message>
        <source>%1 には曲がありません</source>
        <translation>%1 holds no tune</translation>
    </message>
    <message>
        <source>%1 は MIDI ﾌｧｲﾙではありません</source>
        <translation>%1 is not a MIDI file</translation>
    </message>
    <message>
        <source>MCI ﾃﾞﾊﾞｲｽがありません</source>
        <translation>There is no MCI device</translation>
    </message>
    <message>
        <source>音楽を再生できません。ｹﾞｰﾑは音楽なしでそのまま遊べます。</source>
        <translation>The music cannot be played. The game plays on without music.</translation>
    </message>
    <message>
        <source>ｼﾝｾｻｲｻﾞｰを用意できません</source>
        <translation>The synthesizer cannot be set up</translation>
    </message>
    <message>
        <source>ｻｳﾝﾄﾞﾌｫﾝﾄが見つかりません:</source>
        <translation>No soundfont found:</translation>
    </message>
</context>
<context>
    <name>Help</name>
    <message>
        <source>readme.htm</source>
        <extracomment>The file name of the help page in this language, installed beside the program</extracomment>
        <translation>readme_en.htm</translation>
    </message>
</context>
<context>
    <name>RankingQuestionBox</name>
    <message>
        <source>確認</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
</context>
<context>
    <name>zorvat::MainWindow</name>
    <message>
        <source>ｹﾞｰﾑ(&amp;G)</source>
        <translation>&amp;Game</translation>
    </message>
    <message>
        <source>開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>記録(&amp;K)</source>
        <translation>&amp;Records</translation>
    </message>
    <message>
        <source>ﾍﾙﾌﾟ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>盤面</source>
        <translation>Grid</translation>
    </message>
    <message>
        <source>数字キーで顔を選び、矢印キーでマスを選び、スペースキーで置きます</source>
        <translation>Pick a face with the number keys, a cell with the arrow keys, and place it with Space</translation>
    </message>
    <message>
        <source>顔の選択</source>
        <translation>Faces</translation>
    </message>
    <message>
        <source>得点</source>
        <translation>Score</translation>
    </message>
    <message>
        <source>問題</source>
        <translation>Question</translation>
    </message>
</context>
<context>
    <name>zorvat::NameInputBox</name>
    <message>
        <source>ベストタイム更新</source>
        <translation>New High Score</translation>
    </message>
    <message>
        <source>ベストタイムを更新しました。名前を入力して下さい</source>
        <translation>A new high score! Please enter your name</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>zorvat::TForm2</name>
    <message>
        <source>記録</source>
        <translation>Top 5</translation>
    </message>
    <message>
        <source>ゲーム回数:</source>
        <translation>Games:</translation>
    </message>
</context>
</TS>
