#pragma once

// The documents the result-list benches index: a third HTML pages with Japanese titles, a third
// text files with Japanese names (namazu then writes the UTF-8 name as the title, inside
// EUC-JP), a third English text files. Every document holds "corpusword"; a document numbered
// at most `limit` of a marker also holds its word, so one index answers several result sizes.
#include <QDir>
#include <fstream>
#include <string>
#include <vector>

#include "text/CodePage.h"

namespace bench {

struct CorpusMarker {
    int limit;
    std::string word;
};

inline void WriteCorpusFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

inline void GenerateResultCorpus(const std::string& folder, int count,
                                 const std::vector<CorpusMarker>& markers = {}) {
    static const char* const words[] = {"港",   "灯台",   "レンズ", "嵐", "漁船",
                                        "朝市", "博物館", "階段",   "潮", "岬"};
    QDir().mkpath(QString::fromStdString(folder));
    for (int i = 1; i <= count; ++i) {
        std::string japanese;
        for (int w = 0; w < 12; ++w) japanese += std::string(words[(i * 7 + w * 3) % 10]) + "の";
        std::string marked = "corpusword ";
        for (const CorpusMarker& marker : markers) {
            if (i <= marker.limit) marked += marker.word + " ";
        }
        const std::string n = std::to_string(i);
        switch (i % 3) {
            case 0:
                WriteCorpusFile(
                    folder + "/page" + n + ".html",
                    ConvertEncoding("<html><head><title>灯台の記録 第" + n + "号</title></head><body>" +
                                        marked + japanese + "</body></html>\n",
                                    "UTF-8", "EUC-JP"));
                break;
            case 1:
                WriteCorpusFile(folder + "/灯台メモ " + n + ".txt", marked + japanese + "\n");
                break;
            default:
                WriteCorpusFile(folder + "/note" + n + ".txt",
                                marked + "harbour lighthouse keeper lens beam storm boat number " + n + "\n");
                break;
        }
    }
}

}  // namespace bench
