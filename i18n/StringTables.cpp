#include "i18n/StringTables.h"
#include "platform/ProgramIdentity.h"

#include <cstdlib>
#include <map>

namespace muralto::i18n {
namespace {

// "&" marks a caption's access key; "\nl" is written out literally and expanded on display.
const std::map<int, std::string_view> kEnUs = {
    {1, platform::kProgramTitle},
    {2, "&Re-Scan Directory"},
    {3, "&Add Path to Image"},
    {4, "&Update Wallpaper"},
    {5, "&Save"},
    {6, "Update &Delay"},
    {7, "&Image Directory"},
    {8, "Wallpaper Options"},
    {9, "&Newsgroups"},
    {10, "Newsgroup Options"},
    {11, "&Add Group"},
    {12, "&Del Group"},
    {13, "&Exclude Subjects Like"},
    {14, "Add &Subject"},
    {15, "Del S&ubject"},
    {16, "&Minimum File Size"},
    {17, "Save Files of &Type"},
    {18, "Scan &Newsgroups"},
    {19, "&Update Wallpaper Now"},
    {20, "&Exit Muralto"},
    {21, "&Cancel"},
    {22, "Maximum &Number of Files to Download Per Newsgroup"},
    {23, "&Ok"},
    {24, "S&cale Factor"},
    {25, "Screen Saver Options"},
    {26, "C&hange Image on Startup Only"},
    {2001, "*.jpg;*.jpe;*.jpeg;*.gif;*.wmf;*.bmp;*.eps;"},
    {2002,
     R"(Code Block [1]:\nlThis code block has been scheduled for removal in the following release.\nlPlease notify the developer that Code Block [1] is still active, so that it can be dealt with appropriately.\nl\nlThank you.)"},
    {2003, "Code Block [1]"},
    {2004, R"(Changes to the current section have been made\nlDo you wish to Save?)"},
};

const std::map<int, std::string_view> kEnGb = {
    {1, "Uraltomay"},
    {2, "E-Scan&Ray IrectoryDay"},
    {3, "&Addway AthPay otay Imageway"},
    {4, "&Updateway Allpaperway"},
    {5, "Ave&say"},
    {6, "Updateway Elay&day"},
    {7, "&Imageway Irectory&day"},
    {8, "Allpaperway Optionsway"},
    {9, "Ewsgroups&nay"},
    {10, "Ewsgroupsnay Optionsway"},
    {11, "&Addway Roupgay"},
    {12, "El&day Roupgay"},
    {13, "&Excludeway Ubjectssay Ikelay"},
    {14, "Addway Ubject&say"},
    {15, "Elday &Ubjectsay"},
    {16, "Ini&mummay Ilefay Izesay"},
    {17, "Avesay Ilesfay ofway Ype&tay"},
    {18, "Cansay Ewsgroups&nay"},
    {19, "&Updateway Allpaperway Ownay"},
    {20, "&Exitway Uraltomay"},
    {21, "Ancel&cay"},
    {22, "Axi&mummay Umber&nay ofway Ilesfay toway Ownloadday"},
    {23, "&Okway"},
    {24, "&Calesay Actorfay"},
    {25, "Creensay Aversay Optionsway"},
    {26, "&HangeC Imageway onway Tartupsay Onlyway"},
    {2002,
     R"(Odecay Lockbay [1]:\nlIsthay odecay lockbay ashay eenbay cheduledsay orfay emovalray inway ethay ollowingfay eleaseray.\nlLeasepay otifynay ethay eveloperday atthay Odecay Lockbay [1] isway tillsay activeway, osay atthay itway ancay ebay ealtday ithway appropriatelyway.\nl\nlankthay ouyay.)"},
    {2003, "Odecay Lockbay [1]"},
    {2004,
     R"(Angeschay otay ethay urrentcay ectionsay avehay eenbay ademay.\nlOday ouyay ishway otay Avesay?)"},
};

}  // namespace

Language chooseLanguage(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* setting : {lcAll, lcMessages, lang}) {
        if (setting && *setting) {
            return std::string_view(setting).starts_with("en_GB") ? Language::EnGB : Language::EnUS;
        }
    }
    return Language::EnUS;
}

Language languageFromEnvironment() {
    return chooseLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::optional<std::string> StringTable::LoadResString(int id) const {
    if (language_ == Language::EnGB) {
        if (auto it = kEnGb.find(id); it != kEnGb.end())
            return std::string(it->second);
    }
    if (auto it = kEnUs.find(id); it != kEnUs.end())
        return std::string(it->second);
    return std::nullopt;
}

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement) {
    if (find.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(find, from)) != std::string_view::npos;
         from = at + find.size()) {
        out.append(text.substr(from, at - from)).append(replacement);
    }
    return out.append(text.substr(from));
}

std::string ExpandString(std::string_view text, const std::vector<std::string>& arguments) {
    static constexpr std::string_view kNul("\0", 1);
    std::string s = ReplaceAll(text, kNul, "");
    s = ReplaceAll(s, R"(\\)", kNul);
    s = ReplaceAll(s, R"(\nl)", "\r\n");
    s = ReplaceAll(s, R"(\r)", "\r");
    s = ReplaceAll(s, R"(\n)", "\n");
    s = ReplaceAll(s, R"(\t)", "\t");
    s = ReplaceAll(s, kNul, "\\");
    s = ReplaceAll(s, R"(\[)", kNul);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string placeholder(1, '[');
        placeholder.append(std::to_string(i + 1)).push_back(']');
        s = ReplaceAll(s, placeholder, arguments[i]);
    }
    return ReplaceAll(s, kNul, "[");
}

}  // namespace muralto::i18n
