#include "app/CommandLineArgs.h"

#include "config/ProgramInfo.h"

CommandLineArgs ParseCommandLineArgs(const std::vector<std::string>& args) {
    CommandLineArgs parsed;
    if (args.empty()) return parsed;
    const std::string& first = args.front();
    if (first == "--help" || first == "-h") {
        parsed.mode = StartMode::Help;
    } else if (first == "--version") {
        parsed.mode = StartMode::Version;
    } else if (first == "--update") {
        parsed.mode = StartMode::Update;
        bool optionsEnd = false;
        for (std::size_t i = 1; i < args.size(); ++i) {
            const std::string& arg = args[i];
            if (!optionsEnd && arg == "--") {
                optionsEnd = true;
            } else if (!optionsEnd && arg.size() > 1 && arg.front() == '-') {
                return {StartMode::Bad, {}, "--update に使えないオプションです: " + arg};
            } else if (arg.empty()) {
                return {StartMode::Bad, {}, "インデックスのフォルダが空です"};
            } else {
                parsed.indexFolders.push_back(arg);
            }
        }
    } else if (first.starts_with("--update=") || first.starts_with("--help=") || first.starts_with("--version=")) {
        return {StartMode::Bad, {}, "値を取らないオプションです: " + first};
    }
    return parsed;
}

std::string UsageText() {
    return "使い方: quarrow\n"
           "       quarrow --update [インデックスのフォルダ...]\n"
           "       quarrow --help | --version\n"
           "\n"
           "引数なしで検索の画面を開きます。\n"
           "\n"
           "  --update   インデックスを mknmz --update で最新にします。画面は開きません。\n"
           "             フォルダを指定しないときは、保存されている検索場所のインデックスを\n"
           "             更新します。mknmz の経過を標準出力に書きます。\n"
           "             終了コード: 0 すべて更新した、1 更新できないものがあった\n"
           "             (標準エラー出力に名前を書きます)、2 引数が不正\n"
           "  --help     この説明を表示します。\n"
           "  --version  バージョンを表示します。\n";
}

std::string VersionText() {
    return "Quarrow for Namazu " QUARROW_VERSION
           "\n"
           "Copyright (C) 2026 the Quarrow for Namazu developers\n"
           "License: " +
           std::string(kLicenceName) +
           "\n"
           "This is free software: you may redistribute and change it under the terms of that\n"
           "licence. There is NO WARRANTY, to the extent permitted by law.\n";
}
