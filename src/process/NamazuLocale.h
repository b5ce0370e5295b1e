#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "config/PlatformProfile.h"

// namazu and mknmz speak Japanese (and gettext translates namazu's frame lines) only under a
// generated ja_JP.eucJP, which a stock Debian or a desktop with only ja_JP.UTF-8 lacks. glibc
// takes locales from the folder named by LOCPATH, so the program builds one with localedef
// into a folder of its own, once, and points namazu and mknmz at it.

inline constexpr const char* kNamazuLocaleName = "ja_JP.eucJP";

// Where the program keeps its own copy: "<program folder>locale/" for a program run from its
// build tree, $XDG_CACHE_HOME/quarrow/locale/ (~/.cache/...) for an installed one. No trailing "/".
std::string NamazuLocaleFolder(const PlatformProfile& profile);

// Whether this process (with its own LOCPATH, if any) can load `name`.
bool LocaleLoadable(const char* name);

// What the stamp beside a built locale holds: the glibc that compiled it. A locale compiled by
// another glibc version may not load, so it is built again.
std::string NamazuLocaleStamp();

// Whether `folder` holds ja_JP.eucJP compiled by this glibc.
bool NamazuLocaleBuiltIn(const std::string& folder);

// Compiles ja_JP.eucJP into `folder` with localedef (found on PATH), waiting for it; the folder's
// copy is replaced only by a complete one, so runs that read it meanwhile, or another instance
// building at the same time, never see half a locale. Returns why it failed; empty on success.
std::string BuildNamazuLocale(const std::string& folder);

// The locale the namazu and mknmz runs of this process use. Start() decides at once whether the
// system's own will do, the one built earlier will, or one is to be built; a build runs off the
// calling thread. Path() waits for it (handling events meanwhile, user input excepted, so the
// window keeps painting) and gives the folder to pass as LOCPATH, or empty when none is needed
// or none could be built.
class NamazuLocale {
public:
    enum class State { NotStarted, System, Building, Built, Unavailable };
    // Told on the thread that called Start(): the build begins, it ended well, or it failed (once).
    using Tell = std::function<void(const QString& text)>;

    NamazuLocale() = default;
    ~NamazuLocale();
    NamazuLocale(const NamazuLocale&) = delete;
    NamazuLocale& operator=(const NamazuLocale&) = delete;

    void Start(const std::string& folder, Tell tell = {});
    std::string Path();
    State CurrentState();
    // Why the build failed (empty otherwise).
    std::string Failure();

private:
    // Takes the build's outcome once it is there; tells of it once.
    void Collect();

    std::mutex m_mutex;
    State m_state = State::NotStarted;
    std::string m_folder;
    std::string m_failure;
    std::thread m_thread;
    std::future<std::string> m_build;
    std::unique_ptr<QObject> m_receiver;  // where the build's end is posted; gone with this object
    Tell m_tell;
};

// The one locale of this process that NamazuEnvironment() consults: every namazu and mknmz start
// must get the same environment, and the locale is built at most once per run.
NamazuLocale& ProcessNamazuLocale();

// Status texts.
QString NamazuLocaleBuildingText();
QString NamazuLocaleBuiltText();
QString NamazuLocaleUnavailableText();
