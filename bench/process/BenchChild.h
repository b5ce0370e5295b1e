#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchRounds.h"
#include "process/Prompter.h"

extern char** environ;

// A prompter that only counts: a benchmark has nobody to answer.
class SilentPrompter final : public Prompter {
public:
    int messages = 0;
    MessageResult Message(const QString& text, const QString&, MessageIcon, MessageButtons) override {
        std::fprintf(stderr, "message: %s\n", text.toStdString().c_str());
        ++messages;
        return MessageResult::Ok;
    }
    std::optional<QString> OpenFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> SaveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<FontChoice> ChooseFont(const FontChoice&) override { return std::nullopt; }
    void Beep() override {}
};

// The reference: the same child with stdout and stderr on /dev/null, started and waited for
// without any runner. `env` entries ("NAME=value") replace ours of the same name; with
// `namazuLocale` the locale variables that would override LANG are dropped as well.
inline double RunDirectSeconds(std::vector<std::string> argv, const std::string& workDir,
                               const std::vector<std::string>& env = {}, bool namazuLocale = false) {
    std::vector<std::string> environment = env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        bool dropped = namazuLocale && (name == "LANGUAGE" || name == "LC_ALL" || name == "LC_MESSAGES" ||
                                        name == "LC_CTYPE");
        for (const std::string& set : env) dropped = dropped || set.substr(0, set.find('=')) == name;
        if (!dropped) environment.push_back(entry);
    }
    std::vector<char*> args, envp;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    for (std::string& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return bench::Seconds(start);
}
