#include "process/NamazuLocale.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <QStandardPaths>
#include <fstream>

#include "NamazuFixture.h"
#include "TestSupport.h"
#include "process/RunCommand.h"
#include "text/CodePage.h"

namespace {

// Sets an environment variable for the lifetime of the object (unset when `value` is null).
class EnvOverride {
public:
    EnvOverride(const char* name, const char* value) : m_name(name) {
        const char* old = std::getenv(name);
        if (old) m_old = old;
        m_had = old != nullptr;
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~EnvOverride() {
        if (m_had) {
            ::setenv(m_name.c_str(), m_old.c_str(), 1);
        } else {
            ::unsetenv(m_name.c_str());
        }
    }

private:
    std::string m_name;
    std::string m_old;
    bool m_had = false;
};

// The suite also runs with localedef hidden from PATH: then these tests have nothing to build with.
bool LocaledefAvailable() {
    return !QStandardPaths::findExecutable(QStringLiteral("localedef")).isEmpty() &&
           ::access("/usr/share/i18n/locales/ja_JP", R_OK) == 0;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const QString& name :
         QDir(QString::fromStdString(folder))
             .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name))
        names.push_back(name.toStdString());
    return names;
}

// namazu's own option help, run with the locale in `locpath` (none when empty).
std::string NamazuHelp(const std::string& locpath) {
    std::vector<EnvironmentChange> env = {{"LANG", "ja_JP.eucJP"},    {"LANGUAGE", std::nullopt},
                                          {"LC_ALL", std::nullopt},   {"LC_MESSAGES", std::nullopt},
                                          {"LC_CTYPE", std::nullopt}, {"LOCPATH", locpath}};
    if (locpath.empty()) env.back().value = std::nullopt;
    MemoryOutputView view;
    FakePrompter prompter;
    RunCommand("/usr/bin/namazu --help", "/", RunMode::Capture, &view, prompter, CodePage::Utf8, env);
    std::string text;
    for (const std::string& line : view.lines) text += line + "\n";
    return ConvertEncoding(text, "EUC-JP", "UTF-8");
}

TEST(NamazuLocale, BuildsIntoItsOwnFolderAndNamazuSpeaksJapanese) {
    if (!LocaledefAvailable() || !NamazuFixture::ProgramsAvailable())
        GTEST_SKIP() << "no localedef or namazu";
    TempProgramDir dir;
    const std::string folder = dir.Path("cache/locale");
    EXPECT_FALSE(NamazuLocaleBuiltIn(folder));
    ASSERT_EQ(BuildNamazuLocale(folder), "");
    EXPECT_TRUE(NamazuLocaleBuiltIn(folder));
    // Nothing of the build is left beside the locale.
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"ja_JP.eucJP"});
    EXPECT_NE(NamazuHelp(folder).find("使い方: namazu"), std::string::npos) << NamazuHelp(folder);
    EXPECT_EQ(NamazuHelp(dir.Path("nothing-here")).find("使い方"), std::string::npos);

    // A locale of another glibc, or a damaged one, is built again, in place.
    const std::string stamp = folder + "/ja_JP.eucJP/quarrow-stamp";
    std::ofstream(stamp, std::ios::trunc) << "glibc 2.31\n";
    EXPECT_FALSE(NamazuLocaleBuiltIn(folder));
    ASSERT_EQ(BuildNamazuLocale(folder), "");
    EXPECT_TRUE(NamazuLocaleBuiltIn(folder));
    ::unlink((folder + "/ja_JP.eucJP/LC_CTYPE").c_str());
    EXPECT_FALSE(NamazuLocaleBuiltIn(folder));
    ::unlink(stamp.c_str());
    ASSERT_EQ(BuildNamazuLocale(folder), "");
    EXPECT_TRUE(NamazuLocaleBuiltIn(folder));
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"ja_JP.eucJP"});
}

struct StartCase {
    const char* name;
    bool hideLocaledef;  // PATH without localedef
    bool prebuilt;       // a locale built earlier is in the folder
    bool systemHasIt;    // this process's LOCPATH holds one, as a system locale would
    NamazuLocale::State state;
    bool pathIsFolder;  // Path() gives the folder
    std::vector<QString> told;
};

TEST(NamazuLocale, DecidesOnceAndTellsOnce) {
    if (!LocaledefAvailable()) GTEST_SKIP() << "no localedef";
    TempProgramDir dir;
    const std::string prebuilt = dir.Path("prebuilt");
    ASSERT_EQ(BuildNamazuLocale(prebuilt), "");
    const std::string empty = dir.Path("empty");
    QDir().mkpath(QString::fromStdString(empty));
    using S = NamazuLocale::State;
    const StartCase cases[] = {
        {"built on the first start",
         false,
         false,
         false,
         S::Built,
         true,
         {NamazuLocaleBuildingText(), NamazuLocaleBuiltText()}},
        {"no localedef: English, said once, naming the package",
         true,
         false,
         false,
         S::Unavailable,
         false,
         {NamazuLocaleBuildingText(), NamazuLocaleUnavailableText()}},
        {"built earlier: used at once, nothing said", true, true, false, S::Built, true, {}},
        {"the system's own: nothing set, nothing built", false, false, true, S::System, false, {}},
    };
    for (const StartCase& c : cases) {
        const std::string folder = c.prebuilt ? prebuilt : dir.Path(std::string("case-") + c.name);
        EnvOverride path("PATH", c.hideLocaledef ? empty.c_str() : std::getenv("PATH"));
        EnvOverride locpath("LOCPATH", c.systemHasIt ? prebuilt.c_str() : empty.c_str());
        std::vector<QString> told;
        {
            NamazuLocale locale;
            locale.Start(folder, [&](const QString& text) { told.push_back(text); });
            const std::string first = locale.Path();
            EXPECT_EQ(locale.Path(), first) << c.name;
            EXPECT_EQ(first, c.pathIsFolder ? folder : std::string()) << c.name;
            EXPECT_EQ(locale.CurrentState(), c.state) << c.name;
            EXPECT_EQ(locale.Failure().empty(), c.state != S::Unavailable) << c.name;
            locale.Start(dir.Path("elsewhere"));  // a second start changes nothing
            EXPECT_EQ(locale.Path(), first) << c.name;
        }
        EXPECT_EQ(told, c.told) << c.name;
        if (!c.pathIsFolder && !c.prebuilt) EXPECT_TRUE(Entries(folder).empty()) << c.name;
    }
    EXPECT_NE(NamazuLocaleUnavailableText().indexOf(QStringLiteral("パッケージ locales")), -1);
}

TEST(NamazuLocale, FolderOfABuildTreeAndOfAnInstalledProgram) {
    PlatformProfile profile;
    profile.programFolder = "/src/build/";
    EXPECT_EQ(NamazuLocaleFolder(profile), "/src/build/locale");
    profile.installed = true;
    {
        EnvOverride cache("XDG_CACHE_HOME", "/home/u/.cache-x");
        EXPECT_EQ(NamazuLocaleFolder(profile), "/home/u/.cache-x/quarrow/locale");
    }
    EnvOverride cache("XDG_CACHE_HOME", nullptr);
    EnvOverride home("HOME", "/home/u");
    EXPECT_EQ(NamazuLocaleFolder(profile), "/home/u/.cache/quarrow/locale");
}

}  // namespace
