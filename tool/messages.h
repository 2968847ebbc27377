// The driver's console texts, in Shift-JIS. A %s takes a path as it was given.
#pragma once

namespace tavrel {

constexpr char text_banner[] = "Tavrel v0.01 2005/03/26\n";

// "Usage: tavrel.exe {ROMファイル} {出力先}"
constexpr char text_usage[] = "Usage: tavrel.exe {ROM\x83\x74\x83\x40\x83\x43\x83\x8b} "
                              "{\x8f\x6f\x97\xcd\x90\xe6}\n";

// "ロムファイル %s を開けませんでした。"
constexpr char text_source_error[] = "\x83\x8d\x83\x80\x83\x74\x83\x40\x83\x43\x83\x8b %s "
                                     "\x82\xf0\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1"
                                     "\x82\xc5\x82\xb5\x82\xbd\x81\x42\n";

// "出力ファイル %s を作成できませんでした。"
constexpr char text_output_error[] = "\x8f\x6f\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b %s "
                                     "\x82\xf0\x8d\xec\x90\xac\x82\xc5\x82\xab\x82\xdc"
                                     "\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x42\n";

// "入力ファイル:%s 出力ファイル:%s"
constexpr char text_paths[] = "\x93\xfc\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b:%s "
                              "\x8f\x6f\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b:%s\n";

// "完了しました。"
constexpr char text_done[] = "\x8a\xae\x97\xb9\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42\n";

} // namespace tavrel
