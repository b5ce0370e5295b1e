#include "process/NamazuLocale.h"

#include <fcntl.h>
#include <gnu/libc-version.h>
#include <locale.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QThread>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

extern char** environ;

namespace {

constexpr const char* kStampFile = "quarrow-stamp";

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void RemoveTree(const std::string& path) {
    QDir(QFile::decodeName(QByteArray::fromStdString(path))).removeRecursively();
}

// The program on PATH, as a shell would find it; empty when it is not there.
std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        if (IsFile(candidate) && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

// Runs argv with stdin, stdout and stderr on /dev/null; the exit code, or -1 when it did not start.
int RunQuietly(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1, 2})
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, args.front(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string LocaleFolderIn(const std::string& folder) {
    return folder + "/" + kNamazuLocaleName;
}

// The categories namazu and mknmz need are there.
bool LocaleFilesPresent(const std::string& localeFolder) {
    return IsFile(localeFolder + "/LC_CTYPE") && IsFile(localeFolder + "/LC_MESSAGES/SYS_LC_MESSAGES");
}

}  // namespace

std::string NamazuLocaleFolder(const PlatformProfile& profile) {
    if (!profile.installed) return profile.programFolder + "locale";
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    const std::string cacheHome =
        xdg && *xdg ? std::string(xdg) : std::string(home && *home ? home : "/tmp") + "/.cache";
    return cacheHome + "/quarrow/locale";
}

bool LocaleLoadable(const char* name) {
    locale_t loaded = ::newlocale(LC_ALL_MASK, name, static_cast<locale_t>(nullptr));
    if (!loaded) return false;
    ::freelocale(loaded);
    return true;
}

std::string NamazuLocaleStamp() {
    return std::string("glibc ") + ::gnu_get_libc_version() + "\n";
}

bool NamazuLocaleBuiltIn(const std::string& folder) {
    const std::string locale = LocaleFolderIn(folder);
    std::ifstream in(locale + "/" + kStampFile, std::ios::binary);
    std::stringstream stamp;
    stamp << in.rdbuf();
    return in && stamp.str() == NamazuLocaleStamp() && LocaleFilesPresent(locale);
}

std::string BuildNamazuLocale(const std::string& folder) {
    const std::string localedef = FindOnPath("localedef");
    if (localedef.empty()) return "localedef が見つかりません";
    if (!QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(folder))))
        return "フォルダ " + folder + " を作成できません";
    std::string work = folder + "/.build-XXXXXX";
    if (!::mkdtemp(work.data())) return "フォルダ " + folder + " に書き込めません";
    const std::string built = LocaleFolderIn(work);
    const int code = RunQuietly({localedef, "-i", "ja_JP", "-f", "EUC-JP", built});
    // localedef says 1 when it only warned; what counts is a locale that is whole.
    if (code < 0 || code > 1 || !LocaleFilesPresent(built)) {
        RemoveTree(work);
        return code < 0 ? "localedef を起動できません"
                        : "localedef が ja_JP.eucJP を作成できませんでした (終了コード " +
                              std::to_string(code) + ")";
    }
    {
        std::ofstream stamp(built + "/" + kStampFile, std::ios::binary);
        stamp << NamazuLocaleStamp();
        if (!stamp.flush()) {
            RemoveTree(work);
            return "フォルダ " + folder + " に書き込めません";
        }
    }
    // An older copy moves out of the way first; rename() puts the new one in place whole.
    const std::string target = LocaleFolderIn(folder);
    if (IsFolder(target)) ::rename(target.c_str(), (work + "/old").c_str());
    const bool placed = ::rename(built.c_str(), target.c_str()) == 0;
    RemoveTree(work);
    // Another instance may have put its copy there first: that one serves as well.
    if (!placed && !NamazuLocaleBuiltIn(folder)) return "フォルダ " + folder + " に書き込めません";
    return {};
}

NamazuLocale::~NamazuLocale() {
    if (m_thread.joinable()) m_thread.join();
}

void NamazuLocale::Start(const std::string& folder, Tell tell) {
    std::lock_guard lock(m_mutex);
    if (m_state != State::NotStarted) return;
    m_folder = folder;
    m_tell = std::move(tell);
    if (LocaleLoadable(kNamazuLocaleName)) {
        m_state = State::System;
        return;
    }
    if (NamazuLocaleBuiltIn(folder)) {
        m_state = State::Built;
        return;
    }
    m_state = State::Building;
    std::promise<std::string> promise;
    m_build = promise.get_future();
    QObject* receiver = nullptr;
    if (QCoreApplication::instance()) {
        m_receiver = std::make_unique<QObject>();
        receiver = m_receiver.get();
    }
    m_thread = std::thread([this, folder, receiver, promise = std::move(promise)]() mutable {
        promise.set_value(BuildNamazuLocale(folder));
        // The end is told on the starting thread, as soon as its events are handled.
        if (receiver)
            QMetaObject::invokeMethod(
                receiver, [this] { Collect(); }, Qt::QueuedConnection);
    });
    if (m_tell) m_tell(NamazuLocaleBuildingText());
}

void NamazuLocale::Collect() {
    Tell tell;
    QString text;
    {
        std::lock_guard lock(m_mutex);
        if (m_state != State::Building || !m_build.valid()) return;
        if (m_build.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return;
        m_failure = m_build.get();
        m_state = m_failure.empty() ? State::Built : State::Unavailable;
        text = m_failure.empty() ? NamazuLocaleBuiltText() : NamazuLocaleUnavailableText();
        tell = m_tell;
    }
    if (m_thread.joinable()) m_thread.join();
    if (tell) tell(text);
}

std::string NamazuLocale::Path() {
    if (CurrentState() == State::Building) {
        // A build takes about a second; the window goes on painting meanwhile.
        const bool pump = QCoreApplication::instance() &&
                          QThread::currentThread() == QCoreApplication::instance()->thread();
        // The events handled may take the outcome (Collect) before this loop sees it.
        while (CurrentState() == State::Building &&
               m_build.wait_for(std::chrono::milliseconds(pump ? 20 : 1000)) != std::future_status::ready) {
            if (pump) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
        Collect();
    }
    std::lock_guard lock(m_mutex);
    return m_state == State::Built ? m_folder : std::string();
}

NamazuLocale::State NamazuLocale::CurrentState() {
    std::lock_guard lock(m_mutex);
    return m_state;
}

std::string NamazuLocale::Failure() {
    std::lock_guard lock(m_mutex);
    return m_failure;
}

NamazuLocale& ProcessNamazuLocale() {
    static NamazuLocale locale;
    return locale;
}

QString NamazuLocaleBuildingText() {
    return QStringLiteral("namazu と mknmz の日本語表示に使うロケール ja_JP.eucJP を準備しています...");
}

QString NamazuLocaleBuiltText() {
    return QStringLiteral("ロケール ja_JP.eucJP を準備しました。namazu と mknmz は日本語で表示します。");
}

QString NamazuLocaleUnavailableText() {
    // The package comes first: a narrow window's status bar cuts the end off.
    return QStringLiteral(
        "パッケージ locales をインストールすると namazu と mknmz のメッセージが日本語になります"
        " (ロケール ja_JP.eucJP を作成できないため、今は英語です)。");
}
