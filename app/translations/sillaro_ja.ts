<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About Sillaro</source>
        <translation>Sillaro について</translation>
    </message>
    <message>
        <source>Sillaro, Version</source>
        <translation>Sillaro バージョン</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>AlertDialog</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>はい</translation>
    </message>
    <message>
        <source>No</source>
        <translation>いいえ</translation>
    </message>
</context>
<context>
    <name>AppDelegate</name>
    <message>
        <source>Gain:</source>
        <translation>ゲイン:</translation>
    </message>
    <message>
        <source>No device found.</source>
        <translation>デバイスが見つかりません。</translation>
    </message>
</context>
<context>
    <name>ClickRepairFlow</name>
    <message>
        <source>Repair Clicks</source>
        <translation>クリックノイズの修復</translation>
    </message>
    <message>
        <source>Finding clicks…</source>
        <translation>クリックノイズを検出しています…</translation>
    </message>
    <message>
        <source>No clicks were found.</source>
        <translation>クリックノイズは見つかりませんでした。</translation>
    </message>
    <message>
        <source>Failed to find the clicks.</source>
        <translation>クリックノイズの検出に失敗しました。</translation>
    </message>
    <message>
        <source>Clicks repaired: %1</source>
        <translation>修復したクリックノイズ: %1</translation>
    </message>
    <message>
        <source>Clicks: %1, pops: %2, crackle: %3.</source>
        <translation>クリック: %1、ポップ: %2、クラックル: %3。</translation>
    </message>
    <message>
        <source>Could not be rebuilt, left as recorded: %1.</source>
        <translation>再構成できず、録音のまま残した箇所: %1。</translation>
    </message>
    <message>
        <source>Listening and Write to Files use the repair; the recording itself is unchanged. Edit &gt; Undo takes the repair back.</source>
        <translation>再生と「ファイルに書き出し」に修復が使われます。録音そのものは変更されません。「編集」&gt;「クリックノイズの修復を元に戻す」で取り消せます。</translation>
    </message>
</context>
<context>
    <name>ControlManager</name>
    <message>
        <source>There is a problem with an audio playback device. It might not be installed on your computer or might be used by another app.</source>
        <translation>オーディオ再生デバイスに問題があります。コンピュータに接続されていないか、他のアプリが使用している可能性があります。</translation>
    </message>
    <message>
        <source>Recording Complete</source>
        <translation>録音完了</translation>
    </message>
    <message>
        <source>Write to Files  </source>
        <translation>ファイルに書き出し  </translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Edit Mode</source>
        <translation>編集モード</translation>
    </message>
    <message>
        <source>Record Mode</source>
        <translation>録音モード</translation>
    </message>
    <message>
        <source>No device found.</source>
        <translation>デバイスが見つかりません。</translation>
    </message>
    <message>
        <source>Are you sure you want to record newly?</source>
        <translation>新しく録音してもよろしいですか？</translation>
    </message>
    <message>
        <source>Do you want to delete the selected marker?</source>
        <translation>選択したマーカーを削除しますか？</translation>
    </message>
    <message>
        <source>Do you want to remove all markers?</source>
        <translation>すべてのマーカーを削除しますか？</translation>
    </message>
    <message>
        <source>Failed to obtain version info.</source>
        <translation>バージョン情報を取得できませんでした。</translation>
    </message>
    <message>
        <source>This Sillaro</source>
        <translation>この Sillaro</translation>
    </message>
    <message>
        <source>is up to date.</source>
        <translation>は最新です。</translation>
    </message>
    <message>
        <source>Increasing the gain will result in a longer time in writing to files.</source>
        <translation>ゲインを上げると、ファイルへの書き出しに時間がかかります。</translation>
    </message>
    <message>
        <source>Failed to use the folder specified as the temporary file storage.</source>
        <translation>一時ファイルの保存先に指定したフォルダを使用できませんでした。</translation>
    </message>
    <message>
        <source>Failed to save the file.</source>
        <translation>ファイルを保存できませんでした。</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>自動</translation>
    </message>
    <message>
        <source>dB</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>Disconnected from the device.</source>
        <translation>デバイスとの接続が切断されました。</translation>
    </message>
    <message>
        <source>Stopped recording because the limit of recording time has been reached.</source>
        <translation>録音時間の上限に達したため、録音を停止しました。</translation>
    </message>
    <message>
        <source>Some audio was lost while recording: the recording has gaps.</source>
        <translation>録音中に音声の一部が失われました。録音に途切れがあります。</translation>
    </message>
    <message numerus="yes">
        <source>The computer could not keep up with the turntable %n time(s).</source>
        <translation>
            <numerusform>コンピュータの処理がターンテーブルに %n 回追いつきませんでした。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1: %n sample(s) lost</source>
        <translation>
            <numerusform>%1: %n サンプル消失</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The computer could not keep up with the turntable at %n place(s) of the recording:</source>
        <translation>
            <numerusform>コンピュータの処理がターンテーブルに追いつかなかった箇所が録音内に %n 箇所あります:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>and %n more.</source>
        <translation>
            <numerusform>ほか %n 箇所。</numerusform>
        </translation>
    </message>
    <message>
        <source>Play the vinyl record on the turntable and click the &quot;Start Recording&quot; button.</source>
        <translation>ターンテーブルでレコードを再生し、「録音開始」ボタンをクリックしてください。</translation>
    </message>
    <message>
        <source>Start Recording</source>
        <translation>録音開始</translation>
    </message>
    <message>
        <source>Maximum recording time</source>
        <translation>最大録音時間</translation>
    </message>
    <message>
        <source>approx.</source>
        <translation>約</translation>
    </message>
    <message>
        <source>min</source>
        <translation>分</translation>
    </message>
    <message>
        <source>Temporary file storage</source>
        <translation>一時ファイルの保存先</translation>
    </message>
    <message>
        <source>Stopped recording because the temporary file storage is full.</source>
        <translation>一時ファイルの保存先がいっぱいになったため、録音を停止しました。</translation>
    </message>
    <message>
        <source>Stopped recording because the recording could not be stored: %1.</source>
        <translation>録音を保存できなかったため、録音を停止しました: %1。</translation>
    </message>
    <message>
        <source>Click repair works on PCM recordings.</source>
        <translation>クリックノイズの修復は PCM の録音で使えます。</translation>
    </message>
    <message>
        <source>The recording could not be recovered.</source>
        <translation>録音を復元できませんでした。</translation>
    </message>
    <message>
        <source>Another program is using it.</source>
        <translation>別のプログラムが使用しています。</translation>
    </message>
    <message>
        <source>Its temporary files cannot be read.</source>
        <translation>一時ファイルを読み込めません。</translation>
    </message>
</context>
<context>
    <name>CoverThumbnail</name>
    <message>
        <source>No Cover</source>
        <translation>カバーなし</translation>
    </message>
    <message>
        <source>Cover</source>
        <translation>カバー</translation>
    </message>
</context>
<context>
    <name>CustomMenuView</name>
    <message>
        <source>Auto</source>
        <translation>自動</translation>
    </message>
    <message>
        <source>dB</source>
        <translation>dB</translation>
    </message>
</context>
<context>
    <name>DialogButtons</name>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>DownloadWrapper</name>
    <message>
        <source>A download is already running.</source>
        <translation>ダウンロードはすでに実行中です。</translation>
    </message>
    <message>
        <source>The download address is not a secure (https) address.</source>
        <translation>ダウンロード先が安全な (https) アドレスではありません。</translation>
    </message>
    <message>
        <source>The server answered with status %1.</source>
        <translation>サーバーがステータス %1 を返しました。</translation>
    </message>
</context>
<context>
    <name>Indicator_Gain</name>
    <message>
        <source>dB</source>
        <translation>dB</translation>
    </message>
</context>
<context>
    <name>MainMenu</name>
    <message>
        <source>Sillaro</source>
        <translation>Sillaro</translation>
    </message>
    <message>
        <source>About Sillaro</source>
        <translation>Sillaro について</translation>
    </message>
    <message>
        <source>Preferences...</source>
        <translation>環境設定...</translation>
    </message>
    <message>
        <source>Quit Sillaro</source>
        <translation>Sillaro を終了</translation>
    </message>
    <message>
        <source>File</source>
        <translation>ファイル</translation>
    </message>
    <message>
        <source>New</source>
        <translation>新規</translation>
    </message>
    <message>
        <source>Write to Files...</source>
        <translation>ファイルに書き出し...</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>録音</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>一時停止</translation>
    </message>
    <message>
        <source>Recording Complete</source>
        <translation>録音完了</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>編集</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>再生</translation>
    </message>
    <message>
        <source>Pause Playback</source>
        <translation>再生を一時停止</translation>
    </message>
    <message>
        <source>Add Marker</source>
        <translation>マーカーを追加</translation>
    </message>
    <message>
        <source>Next Marker</source>
        <translation>次のマーカー</translation>
    </message>
    <message>
        <source>Previous Marker</source>
        <translation>前のマーカー</translation>
    </message>
    <message>
        <source>Delete Marker</source>
        <translation>マーカーを削除</translation>
    </message>
    <message>
        <source>Remove All Markers</source>
        <translation>すべてのマーカーを削除</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>ゲイン</translation>
    </message>
    <message>
        <source>0 dB</source>
        <translation>0 dB</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>自動</translation>
    </message>
    <message>
        <source>View</source>
        <translation>表示</translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation>拡大</translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation>縮小</translation>
    </message>
    <message>
        <source>Next Page</source>
        <translation>次のページ</translation>
    </message>
    <message>
        <source>Previous Page</source>
        <translation>前のページ</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>ヘルプ</translation>
    </message>
    <message>
        <source>Sillaro Help</source>
        <translation>Sillaro ヘルプ</translation>
    </message>
    <message>
        <source>Check for Update...</source>
        <translation>アップデートを確認...</translation>
    </message>
    <message>
        <source>Undo Find Track Gaps</source>
        <translation>トラック間の無音の検出を元に戻す</translation>
    </message>
    <message>
        <source>Find Track Gaps</source>
        <translation>トラック間の無音を検出</translation>
    </message>
    <message>
        <source>Undo Repair Clicks</source>
        <translation>クリックノイズの修復を元に戻す</translation>
    </message>
    <message>
        <source>Repair Clicks...</source>
        <translation>クリックノイズを修復...</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Record</source>
        <translation>録音</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>一時停止</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>再生</translation>
    </message>
    <message>
        <source>Previous Marker</source>
        <translation>前のマーカー</translation>
    </message>
    <message>
        <source>Next Marker</source>
        <translation>次のマーカー</translation>
    </message>
    <message>
        <source>Add Marker</source>
        <translation>マーカーを追加</translation>
    </message>
    <message>
        <source>Move Marker Backward</source>
        <translation>マーカーを前へ移動</translation>
    </message>
    <message>
        <source>Move Marker Forward</source>
        <translation>マーカーを後ろへ移動</translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation>拡大</translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation>縮小</translation>
    </message>
    <message>
        <source>Clicks repaired: %1</source>
        <translation>修復したクリックノイズ: %1</translation>
    </message>
</context>
<context>
    <name>MarkerManager</name>
    <message>
        <source>Cannot add any more markers.</source>
        <translation>これ以上マーカーを追加できません。</translation>
    </message>
</context>
<context>
    <name>ProgressDialog</name>
    <message>
        <source>Write to Files</source>
        <translation>ファイルに書き出し</translation>
    </message>
    <message>
        <source>Saving…</source>
        <translation>保存中…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>QuitFlow</name>
    <message>
        <source>Are you sure you want to exit?</source>
        <translation>終了してもよろしいですか？</translation>
    </message>
</context>
<context>
    <name>RecordManager</name>
    <message>
        <source>Stopped recording because the limit of recording time has been reached.</source>
        <translation>録音時間の上限に達したため、録音を停止しました。</translation>
    </message>
</context>
<context>
    <name>RecoveryFlow</name>
    <message>
        <source>A recording of %1 from %2 was not written to files. Recover it?</source>
        <translation>%2 からの %1 の録音がファイルに書き出されていません。復元しますか？</translation>
    </message>
    <message>
        <source>DSD %1</source>
        <translation>DSD %1</translation>
    </message>
    <message>
        <source>PCM %1, %2-bit</source>
        <translation>PCM %1、%2 bit</translation>
    </message>
    <message>
        <source>Only what is left can be recovered: %1</source>
        <translation>残っている部分だけを復元できます: %1</translation>
    </message>
    <message>
        <source>Recover</source>
        <translation>復元</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>破棄</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>後で</translation>
    </message>
    <message>
        <source>Discard the recording of %1? It cannot be recovered afterwards.</source>
        <translation>%1 の録音を破棄しますか？破棄すると復元できません。</translation>
    </message>
    <message>
        <source>The recording could not be discarded.</source>
        <translation>録音を破棄できませんでした。</translation>
    </message>
</context>
<context>
    <name>RepairClicksDialog</name>
    <message>
        <source>Repair Clicks</source>
        <translation>クリックノイズの修復</translation>
    </message>
    <message>
        <source>Repair the clicks, pops and crackle of the recording.</source>
        <translation>録音のクリック、ポップ、クラックルのノイズを修復します。</translation>
    </message>
    <message>
        <source>The damaged samples are rebuilt from the music around them when you listen and when tracks are written. The recording itself is not changed.</source>
        <translation>損傷したサンプルは、再生時とトラックの書き出し時に前後の音楽から再構成されます。録音そのものは変更されません。</translation>
    </message>
    <message>
        <source>Sensitivity:</source>
        <translation>感度:</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>低</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>標準</translation>
    </message>
    <message>
        <source>High</source>
        <translation>高</translation>
    </message>
    <message>
        <source>Repair</source>
        <translation>修復</translation>
    </message>
</context>
<context>
    <name>SaveDialog</name>
    <message>
        <source>Failed to save the file.</source>
        <translation>ファイルを保存できませんでした。</translation>
    </message>
    <message>
        <source>Insufficient free space in the destination.</source>
        <translation>保存先の空き容量が不足しています。</translation>
    </message>
    <message>
        <source>%1 needed, %2 available.</source>
        <translation>必要な容量は %1、空き容量は %2 です。</translation>
    </message>
    <message>
        <source>The recording engine is not ready.</source>
        <translation>録音エンジンの準備ができていません。</translation>
    </message>
    <message>
        <source>The list of tracks was refused.</source>
        <translation>トラックの一覧が受け付けられませんでした。</translation>
    </message>
    <message>
        <source>Earlier tracks are still being written.</source>
        <translation>前のトラックをまだ書き出しています。</translation>
    </message>
    <message>
        <source>Error %1.</source>
        <translation>エラー %1 が発生しました。</translation>
    </message>
    <message>
        <source>Write to Files</source>
        <translation>ファイルに書き出し</translation>
    </message>
    <message>
        <source>Album Name</source>
        <translation>アルバム名</translation>
    </message>
    <message>
        <source>(Folder Name)</source>
        <translation>(フォルダ名)</translation>
    </message>
    <message>
        <source>Album Artist</source>
        <translation>アルバムアーティスト</translation>
    </message>
    <message>
        <source>Marker</source>
        <translation>マーカー</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>長さ</translation>
    </message>
    <message>
        <source>File Name</source>
        <translation>ファイル名</translation>
    </message>
    <message>
        <source>Track Title</source>
        <translation>トラック名</translation>
    </message>
    <message>
        <source>Track Artist</source>
        <translation>トラックアーティスト</translation>
    </message>
    <message>
        <source>Update File Names</source>
        <translation>ファイル名を更新</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>オプション</translation>
    </message>
    <message>
        <source>Use Track Titles as File Names.</source>
        <translation>トラック名をファイル名に使用</translation>
    </message>
    <message>
        <source>Copy Album Artist to Track Artists</source>
        <translation>アルバムアーティストをトラックアーティストにコピー</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>適用</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>The cover image is not a PNG or JPEG picture.</source>
        <translation>カバー画像が PNG または JPEG の画像ではありません。</translation>
    </message>
    <message>
        <source>The cover image is too large to be stored in FLAC files.</source>
        <translation>カバー画像が大きすぎるため、FLAC ファイルに保存できません。</translation>
    </message>
    <message>
        <source>The cover image cannot be read.</source>
        <translation>カバー画像を読み込めません。</translation>
    </message>
    <message>
        <source>PNG or JPEG pictures (*.png *.jpg *.jpeg)</source>
        <translation>PNG または JPEG 画像 (*.png *.jpg *.jpeg)</translation>
    </message>
    <message>
        <source>Cover Image…</source>
        <translation>カバー画像…</translation>
    </message>
    <message>
        <source>Remove Cover</source>
        <translation>カバーを削除</translation>
    </message>
    <message>
        <source>A cover image is stored in FLAC files only.</source>
        <translation>カバー画像は FLAC ファイルにのみ保存されます。</translation>
    </message>
</context>
<context>
    <name>SaveDialogModel</name>
    <message>
        <source>Track Titles will be used as File Names with no change to extensions.</source>
        <translation>トラック名をファイル名として使用します。拡張子は変更されません。</translation>
    </message>
    <message>
        <source>Album Artist will be copied to Track Artists.</source>
        <translation>アルバムアーティストをトラックアーティストにコピーします。</translation>
    </message>
    <message>
        <source>Are you sure you want to cancel writing to files?</source>
        <translation>ファイルへの書き出しをキャンセルしてもよろしいですか？</translation>
    </message>
    <message>
        <source>Unacceptable characters detected in the album name. Change the album name.</source>
        <translation>アルバム名に使用できない文字が含まれています。アルバム名を変更してください。</translation>
    </message>
    <message>
        <source>No file name specified. Enter a file name.</source>
        <translation>ファイル名が指定されていません。ファイル名を入力してください。</translation>
    </message>
    <message>
        <source>Unacceptable characters detected in the file name. Change the file name.</source>
        <translation>ファイル名に使用できない文字が含まれています。ファイル名を変更してください。</translation>
    </message>
    <message>
        <source>File name duplicated. Change the file name.</source>
        <translation>ファイル名が重複しています。ファイル名を変更してください。</translation>
    </message>
    <message>
        <source>Too long file path. Change the file name or the destination.</source>
        <translation>ファイルのパスが長すぎます。ファイル名または保存先を変更してください。</translation>
    </message>
    <message>
        <source>Browse Folders</source>
        <translation>フォルダを参照</translation>
    </message>
    <message>
        <source>A file with the same name as the folder name exists in the destination.</source>
        <translation>保存先にフォルダ名と同じ名前のファイルがあります。</translation>
    </message>
    <message>
        <source>Cover Image</source>
        <translation>カバー画像</translation>
    </message>
</context>
<context>
    <name>SettingDialog</name>
    <message>
        <source>Format</source>
        <translation>フォーマット</translation>
    </message>
    <message>
        <source>16 bit</source>
        <translation>16 ビット</translation>
    </message>
    <message>
        <source>24 bit</source>
        <translation>24 ビット</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>設定</translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation>デバイス名</translation>
    </message>
    <message>
        <source>Software Version</source>
        <translation>ソフトウェアバージョン</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Sampling Frequency</source>
        <translation>サンプリング周波数</translation>
    </message>
    <message>
        <source>Bit Depth</source>
        <translation>ビット深度</translation>
    </message>
    <message>
        <source>DSD (.dsf)</source>
        <translation>DSD (.dsf)</translation>
    </message>
    <message>
        <source>PCM (.wav)</source>
        <translation>PCM (.wav)</translation>
    </message>
    <message>
        <source>Temporary file storage </source>
        <translation>一時ファイルの保存先 </translation>
    </message>
    <message>
        <source>Recording is available within the limit of the recording time.</source>
        <translation>録音時間の上限まで録音できます。</translation>
    </message>
    <message>
        <source>Failed to use the folder specified as the temporary file storage.</source>
        <translation>一時ファイルの保存先に指定したフォルダを使用できませんでした。</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>参照…</translation>
    </message>
    <message>
        <source>Reset to default</source>
        <translation>初期設定に戻す</translation>
    </message>
    <message>
        <source>Browse Folders</source>
        <translation>フォルダを参照</translation>
    </message>
    <message>
        <source>You cannot specify the folder as the temporary file storage.</source>
        <translation>このフォルダは一時ファイルの保存先に指定できません。</translation>
    </message>
    <message>
        <source>With the drive other than the default one, access speed may become slower, causing the delay of waveform drawing or sound skipping.</source>
        <translation>既定以外のドライブでは、アクセス速度が遅くなり、波形の描画が遅れたり音が途切れたりすることがあります。</translation>
    </message>
    <message>
        <source>Maximum recording time</source>
        <translation>最大録音時間</translation>
    </message>
    <message>
        <source>approx.</source>
        <translation>約</translation>
    </message>
    <message>
        <source>min</source>
        <translation>分</translation>
    </message>
    <message>
        <source>File Format</source>
        <translation>ファイル形式</translation>
    </message>
    <message>
        <source>PCM (.flac)</source>
        <translation>PCM (.flac)</translation>
    </message>
</context>
<context>
    <name>TrackGapFlow</name>
    <message>
        <source>Failed to find the gaps between tracks.</source>
        <translation>トラック間の無音を検出できませんでした。</translation>
    </message>
    <message>
        <source>No music was found in the recording.</source>
        <translation>録音に音楽が見つかりませんでした。</translation>
    </message>
    <message>
        <source>The recording is shorter than the shortest gap between tracks.</source>
        <translation>録音がトラック間の最短の無音より短くなっています。</translation>
    </message>
    <message>
        <source>This side cannot have that many tracks: there are places for at most %1.</source>
        <translation>この面にはそれほど多くのトラックはありません。最大 %1 トラックです。</translation>
    </message>
    <message>
        <source>No gaps between tracks were found.</source>
        <translation>トラック間の無音は見つかりませんでした。</translation>
    </message>
    <message>
        <source>Every gap between tracks already has a marker.</source>
        <translation>トラック間の無音にはすべてマーカーが付いています。</translation>
    </message>
    <message>
        <source>Gaps between tracks found: %1</source>
        <translation>見つかったトラック間の無音: %1 か所</translation>
    </message>
    <message>
        <source>The music plays from %1 to %2; the lead-in and run-out are left unchecked in Write to Files.</source>
        <translation>音楽は %1 から %2 までです。リードインとランアウトは「ファイルに書き出し」でチェックが外れます。</translation>
    </message>
    <message>
        <source>A marker is added at each gap. Edit &gt; Undo takes them back.</source>
        <translation>無音ごとにマーカーを追加します。「編集」&gt;「トラック間の無音の検出を元に戻す」で取り消せます。</translation>
    </message>
</context>
<context>
    <name>TrackGapsDialog</name>
    <message>
        <source>Find Track Gaps</source>
        <translation>トラック間の無音を検出</translation>
    </message>
    <message>
        <source>Tracks on this side:</source>
        <translation>この面のトラック数:</translation>
    </message>
    <message>
        <source>Change the count and the most gap-like places are chosen.</source>
        <translation>数を変えると、最も無音らしい箇所が選ばれます。</translation>
    </message>
    <message>
        <source>Add Markers</source>
        <translation>マーカーを追加</translation>
    </message>
</context>
<context>
    <name>UpdateChecker</name>
    <message>
        <source>CurrentLang</source>
        <translation>ja</translation>
    </message>
</context>
<context>
    <name>UpdateDialog</name>
    <message>
        <source>Sillaro</source>
        <translation>Sillaro</translation>
    </message>
    <message>
        <source>Latest version of Sillaro </source>
        <translation>最新版の Sillaro </translation>
    </message>
    <message>
        <source>is now available.</source>
        <translation>が利用可能です。</translation>
    </message>
    <message>
        <source>Do you want to download now?</source>
        <translation>今すぐダウンロードしますか？</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>ダウンロード</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Debian package (*.deb)</source>
        <translation>Debian パッケージ (*.deb)</translation>
    </message>
    <message>
        <source>Saving…</source>
        <translation>保存中…</translation>
    </message>
    <message>
        <source>Failed to download new version.</source>
        <translation>新しいバージョンをダウンロードできませんでした。</translation>
    </message>
</context>
<context>
    <name>UpdateFileNamesDialog</name>
    <message>
        <source>Update File Names</source>
        <translation>ファイル名を更新</translation>
    </message>
    <message>
        <source>Updates the names of all the files you checked.</source>
        <translation>チェックしたすべてのファイルの名前を更新します。</translation>
    </message>
    <message>
        <source>Initial Track No.</source>
        <translation>開始トラック番号</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>WaveHints</name>
    <message>
        <source>Clicking the “Record” button starts preparation for recording.</source>
        <translation>「録音」ボタンをクリックすると、録音の準備を開始します。</translation>
    </message>
    <message>
        <source>Clicking this area adds a marker.</source>
        <translation>この領域をクリックすると、マーカーを追加します。</translation>
    </message>
</context>
<context>
    <name>WaveView</name>
    <message>
        <source>PopupMenu</source>
        <translation>ポップアップメニュー</translation>
    </message>
    <message>
        <source>Add Marker</source>
        <translation>マーカーを追加</translation>
    </message>
    <message>
        <source>Delete Marker</source>
        <translation>マーカーを削除</translation>
    </message>
    <message>
        <source>Remove All Markers</source>
        <translation>すべてのマーカーを削除</translation>
    </message>
</context>
</TS>
