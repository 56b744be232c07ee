#include "options/gathering.h"
#include "options/print_options.h"
#include "support/capture.h"
#include "support/filter_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

const std::string kGrin = "\xF0\x9F\x98\x80"; // U+1F600, outside the BMP
const std::string kNichiU8 = "\xE6\x97\xA5";  // U+65E5
const std::string kNichiSJ = "\x93\xFA";
const std::string kAU8 = "\xE3\x81\x82"; // U+3042, two columns
const std::string kASJ = "\x82\xA0";

std::string Repeat(const std::string &s, int n)
{
    std::string out;
    for (int i = 0; i < n; i++)
        out += s;
    return out;
}

// Runs the gathering as the driver does, with PPD pointing at a fixture
// (empty: variable unset), and keeps the argv strings alive.
class Gathering : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char *ppd = getenv("PPD");
        hadPPD_ = ppd != nullptr;
        if (hadPPD_)
            savedPPD_ = ppd;
    }
    void TearDown() override
    {
        if (hadPPD_)
            setenv("PPD", savedPPD_.c_str(), 1);
        else
            unsetenv("PPD");
    }

    void UsePPD(const std::string &path)
    {
        if (path.empty())
            unsetenv("PPD");
        else
            setenv("PPD", path.c_str(), 1);
    }

    // Returns what the gathering wrote to standard error.
    std::string Gather(const std::string &ppd, const std::string &title,
                       const std::string &options)
    {
        UsePPD(ppd);
        args_ = {"qzpdftopjl", "7", "alice", title, "1", options};
        argv_.clear();
        for (auto &a : args_)
            argv_.push_back(a.data());
        argv_.push_back(nullptr);
        ClearPrintOptions(&printoptions);
        return CaptureStderr([&] { EXPECT_EQ(GetPrintOptions(argv_.data(), &printoptions), 1); });
    }

    std::string Name(const std::string &ppd, const std::string &title,
                     const std::string &options = "")
    {
        Gather(ppd, title, options);
        EXPECT_EQ(PTStdDocumentName[255], '\0');
        return PTStdDocumentName;
    }

    bool hadPPD_ = false;
    std::string savedPPD_;
    std::vector<std::string> args_;
    std::vector<char *> argv_;
};

const std::string kSJISPrinter = Fixture("plain.ppd");
const std::string kUTF8Printer = Fixture("encoding-utf8.ppd");

std::string ProductType(int type)
{
    return "com.orvex.vyx.printsettings.PrintTypeProductTypeTicketKey=" + std::to_string(type);
}

} // namespace

// The encoding attribute decides the record's field, the ticket-table
// variant and the form of the document name, and all three agree.
TEST_F(Gathering, PrinterLanguageEncoding)
{
    struct Case {
        std::string ppd;
        std::string encoding;
        bool utf8;
    } cases[] = {
        {"", "", false},
        {Fixture("no-such.ppd"), "", false},
        {kSJISPrinter, "", false},
        {kUTF8Printer, "UTF-8", true},
        {Fixture("encoding-lowercase.ppd"), "utf-8", false},
        {Fixture("encoding-prefix.ppd"), "UTF-8", true},
        {Fixture("encoding-long.ppd"),
         "UTF-8ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz012345", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.ppd);
        Gather(c.ppd, "x" + kAU8,
               "com.orvex.vyx.printsettings.JBAUserIDTextEditTicket=a" + kGrin + "b");
        EXPECT_STREQ(printoptions.PPDOption.printerLanguageEncoding, c.encoding.c_str());
        EXPECT_EQ(std::string(printoptions.JBAOption.userID), c.utf8 ? "ab" : "a" + kGrin + "b");
        EXPECT_EQ(std::string(PTStdDocumentName), c.utf8 ? "x" + kAU8 : "x" + kASJ);
        EXPECT_STREQ(printoptions.PPDOption.securityMode, "");
    }
}

// Every key of every table reaches its field, on both printers. The keys
// are spelled out here on purpose: a misspelt table key is never read.
TEST_F(Gathering, EveryTicketKeyFillsItsField)
{
    using Text = std::function<const char *(const PrintOptions &)>;
    using Int = std::function<int(const PrintOptions &)>;
    struct TextRow {
        std::string key;
        std::string value;
        Text field;
        std::string plain;
        std::string utf8;
    };
    struct IntRow {
        std::string key;
        std::string value;
        Int field;
        int expected;
    };
    const std::string pt = "com.orvex.vyx.printsettings.";
    const std::string u = "u" + kGrin + kNichiU8;
    const std::string pw = "p" + kNichiU8;
    const std::string pwSJ = "p" + kNichiSJ;
#define TXT(block, field) [](const PrintOptions &o) -> const char * { return o.block.field; }
#define INT(block, field) [](const PrintOptions &o) { return o.block.field; }
    std::vector<TextRow> texts = {
        {pt + "PrintTypeUserNameTicketKey", u, TXT(PrintTypeOption, userName), u, "u" + kNichiU8},
        {pt + "PrintTypePasswordTicketKey", pw, TXT(PrintTypeOption, password), pw, pw},
        {pt + "DocumentNameTicketKey", "d" + kGrin, TXT(PrintTypeOption, documentName),
         "d" + kGrin, "d"},
        {pt + "JBAMacHostNameStringTicket", "mac" + kGrin, TXT(JBAOption, macHostName),
         "mac" + kGrin, "mac" + kGrin},
        {pt + "JBAIPAddressStringTicket", "/49/48/46/48", TXT(JBAOption, ipAddress), "10.0",
         "10.0"},
        {pt + "JBAUserIDTextEditTicket", "id" + kGrin, TXT(JBAOption, userID), "id" + kGrin,
         "id"},
        {pt + "JBAUserPasswordTextEditTicket", pw + "1", TXT(JBAOption, userPassword),
         pwSJ + "1", pwSJ + "1"},
        {pt + "JBAInputUserIDTextEditTicket", "in" + kGrin, TXT(JBAOption, inputUserID),
         "in" + kGrin, "in"},
        {pt + "JBAInputUserPasswordTextEditTicket", pw + "2", TXT(JBAOption, inputUserPassword),
         pwSJ + "2", pwSJ + "2"},
        {pt + "JBALoginTextEditTicket", "login" + kGrin, TXT(JBAOption, login),
         "login" + kGrin, "login" + kGrin},
        {pt + "JBAHkgnPrintDateTicketKey", "2024/01/02", TXT(JBAOption, printDate),
         "2024/01/02", "2024/01/02"},
        {pt + "JBAHkgnPrintTimeTicketKey", "/49/50", TXT(JBAOption, printTime), "12", "12"},
        {pt + "JBAHostNameStringTicket", "host", TXT(JBAOption, hostName), "host", "host"},
        {pt + "JBAAdminUserIDTextEditTicket", "adm" + kGrin, TXT(JBAOption, adminUserID),
         "adm" + kGrin, "adm"},
        {pt + "JBAAdminUserPasswordTextEditTicket", pw + "3", TXT(JBAOption, adminUserPassword),
         pwSJ + "3", pwSJ + "3"},
        {"number-up", "2", TXT(FeaturesOption, numberUp), "N2", "N2"},
        {"Collate", "true", TXT(FeaturesOption, collate), "true", "true"},
        {"media", "A4", TXT(FeaturesOption, media), "A4", "A4"},
        {"QZInputSlot", "Tray2", TXT(FeaturesOption, inputSlot), "Tray2", "Tray2"},
        {"MediaType", "Plain", TXT(FeaturesOption, mediaType), "Plain", "Plain"},
        {"QZColorMode", "Mono", TXT(FeaturesOption, colorMode), "Mono", "Mono"},
        {"QZOutputMode", "Fine", TXT(FeaturesOption, outputMode), "Fine", "Fine"},
        {"QZStaple", "TopLeft", TXT(FeaturesOption, staple), "TopLeft", "TopLeft"},
        {"QZPunch", "2Holes", TXT(FeaturesOption, punch), "2Holes", "2Holes"},
        {"com.apple.print.subTicket.page_format_ticket..d.com.apple.print.PageFormat.PMScaling..n.",
         "0.5", TXT(FeaturesOption, scaling), "0.5", "0.5"},
        {"page-border", "single", TXT(FeaturesOption, pageBorder), "single", "single"},
        {"OutputOrder", "Reverse", TXT(FeaturesOption, outputOrder), "Reverse", "Reverse"},
        {"com.apple.print.PageToPaperMappingType..n.", "2", TXT(FeaturesOption, scaleToFit), "2",
         "2"},
        {"page-set", "odd", TXT(FeaturesOption, pageSet), "odd", "odd"},
        {"mirror", "true", TXT(FeaturesOption, mirror), "true", "true"},
        {"QZMSILeadingEdge", "Long", TXT(FeaturesOption, msiLeadingEdge), "Long", "Long"},
        {"QZTrapping", "false", TXT(FeaturesOption, trapping), "false", "false"},
        {"com.apple.print.subTicket.page_format_ticket..d.com.apple.print.PageFormat."
         "PMOrientation..n.",
         "4", TXT(FeaturesOption, pageFormatOrientation), "4", "4"},
        {"com.apple.print.PrintSettings.PMOrientation..n.", "3",
         TXT(FeaturesOption, printSettingsOrientation), "3", "3"},
        {"orientation-requested", "5", TXT(FeaturesOption, orientationRequested), "5", "5"},
    };
    std::vector<IntRow> ints = {
        {pt + "PrintTypeTicketKey", "3", INT(PrintTypeOption, printType), 3},
        {pt + "DocumentNameTypeTicketKey", "2", INT(PrintTypeOption, documentNameType), 2},
        {pt + "JBAManageTypeListTicketKey", "1", INT(JBAOption, manageType), 1},
        {pt + "JBAUserIDListCtrlTicket", "abc", INT(JBAOption, adminUserIDListCtrl), 0},
        {pt + "JBAAdminUserInputRadioBtnTicket", "1", INT(JBAOption, adminUserInputRadio), 1},
        {"com.apple.print.PrintSettings.PMDuplexing..n.", "3", INT(FeaturesOption, duplexing), 3},
    };
#undef TXT
#undef INT

    std::string options;
    for (const auto &r : texts)
        options += r.key + "='" + r.value + "' ";
    for (const auto &r : ints)
        options += r.key + "='" + r.value + "' ";

    for (bool utf8 : {false, true}) {
        SCOPED_TRACE(utf8 ? "UTF-8 printer" : "Shift_JIS printer");
        EXPECT_EQ(Gather(utf8 ? kUTF8Printer : kSJISPrinter, "t", options), "");
        for (const auto &r : texts)
            EXPECT_EQ(std::string(r.field(printoptions)), utf8 ? r.utf8 : r.plain) << r.key;
        for (const auto &r : ints)
            EXPECT_EQ(r.field(printoptions), r.expected) << r.key;
    }
}

// With no options every integer is -1, every text empty and number-up
// "1"; a previous job's values in the staging blocks must not leak.
TEST_F(Gathering, EmptyOptionStringAfterAFullOne)
{
    Gather(kUTF8Printer, "t",
           "com.orvex.vyx.printsettings.PrintTypeTicketKey=3 "
           "com.orvex.vyx.printsettings.JBAUserIDTextEditTicket=bob "
           "com.orvex.vyx.printsettings.JBAAdminUserPasswordTextEditTicket=secret "
           "QZStaple=TopLeft com.apple.print.PrintSettings.PMDuplexing..n.=2");
    ASSERT_EQ(printoptions.PrintTypeOption.printType, 3);

    Gather(kUTF8Printer, "t", "");
    PrintOptions expected;
    std::memset(&expected, 0, sizeof(expected));
    expected.PrintTypeOption.printType = -1;
    expected.PrintTypeOption.documentNameType = -1;
    expected.JBAOption.manageType = -1;
    expected.JBAOption.adminUserIDListCtrl = -1;
    expected.JBAOption.adminUserInputRadio = -1;
    expected.FeaturesOption.duplexing = -1;
    std::strcpy(expected.FeaturesOption.numberUp, "1");
    std::strcpy(expected.PPDOption.printerLanguageEncoding, "UTF-8");
    EXPECT_EQ(std::memcmp(&expected, &printoptions, sizeof(expected)), 0);
    EXPECT_EQ(printoptions.JBAOption.userID[0], '\0');
    EXPECT_EQ(printoptions.JBAOption.adminUserPassword[0], '\0');
    EXPECT_EQ(printoptions.FeaturesOption.staple[0], '\0');
}

// Values longer than their field are cut at the field's width minus one.
TEST_F(Gathering, LongValuesStayInTheirFields)
{
    const std::string pt = "com.orvex.vyx.printsettings.";
    std::string options = pt + "JBAMacHostNameStringTicket=" + std::string(40, 'm') + " " + pt +
                          "JBAIPAddressStringTicket=" + std::string(50, 'i') + " " + pt +
                          "PrintTypeUserNameTicketKey=" + std::string(100, 'u') + " " + pt +
                          "DocumentNameTicketKey=" + std::string(2000, 'd') + " " +
                          "media=" + std::string(70, 'x') + " " + pt +
                          "JBAUserPasswordTextEditTicket=" + Repeat(kNichiU8, 300);
    for (const std::string &ppd : {kSJISPrinter, kUTF8Printer}) {
        Gather(ppd, "t", options);
        EXPECT_EQ(std::string(printoptions.JBAOption.macHostName), std::string(32, 'm'));
        EXPECT_EQ(std::string(printoptions.JBAOption.ipAddress), std::string(45, 'i'));
        EXPECT_EQ(std::string(printoptions.PrintTypeOption.userName), std::string(72, 'u'));
        EXPECT_EQ(std::string(printoptions.PrintTypeOption.documentName), std::string(192, 'd'));
        EXPECT_EQ(std::string(printoptions.FeaturesOption.media), std::string(63, 'x'));
        // The value is cut to 1023 bytes (341 kanji) before it is converted.
        EXPECT_EQ(std::string(printoptions.JBAOption.userPassword), Repeat(kNichiSJ, 300));
    }
}

TEST_F(Gathering, DocumentName)
{
    const std::string alef = "\xD8\xA7"; // U+0627: no Shift_JIS form, no columns
    const std::string go = "\xE8\xAA\x9E";  // U+8A9E: one column, two Shift_JIS bytes
    const std::string kuten = "\xEF\xBD\xA1"; // U+FF61: two columns, one byte
    struct Case {
        const char *what;
        std::string ppd;
        std::string title;
        std::string options;
        std::string expected;
    } cases[] = {
        {"40 ASCII", kSJISPrinter, std::string(40, 'a'), "", std::string(32, 'a')},
        {"33rd column inside a kanji", kSJISPrinter, std::string(31, 'a') + kAU8, "",
         std::string(31, 'a')},
        {"exactly 32 columns", kSJISPrinter, std::string(30, 'a') + kAU8 + "zz", "",
         std::string(30, 'a') + kASJ},
        {"tab", kSJISPrinter, "a\tb", "", ""},
        {"line feed", kSJISPrinter, "a\nb", "", ""},
        {"carriage return", kSJISPrinter, "a\rb", "", ""},
        {"backslash and tilde", kSJISPrinter, "a\\b~c", "", "a\\b~c"},
        {"not in Shift_JIS", kSJISPrinter, "a" + kGrin + "b", "", "ab"},
        {"one column, two bytes", kSJISPrinter, Repeat(go, 20), "", Repeat("\x8C\xEA", 16)},
        {"two columns, one byte", kSJISPrinter, Repeat(kuten, 17), "", std::string(17, '\xA1')},
        {"cut inside a kanji at 254 bytes", kSJISPrinter, "a" + Repeat(kNichiU8, 128), "", ""},
        {"invalid UTF-8", kSJISPrinter, "a\xFF", "", ""},

        {"40 ASCII, no product type", kUTF8Printer, std::string(40, 'a'), "",
         std::string(32, 'a')},
        {"40 ASCII, type 3", kUTF8Printer, std::string(40, 'a'), ProductType(3),
         std::string(32, 'a')},
        {"40 ASCII, type 5", kUTF8Printer, std::string(40, 'a'), ProductType(5),
         std::string(32, 'a')},
        {"16 ASCII, type 2", kUTF8Printer, std::string(16, 'a'), ProductType(2),
         std::string(12, 'a')},
        {"40 ASCII, type 7", kUTF8Printer, std::string(40, 'a'), ProductType(7),
         std::string(32, 'a')},
        {"kana, no product type", kUTF8Printer, Repeat(kAU8, 20), "", Repeat(kAU8, 16)},
        {"kana, type 2", kUTF8Printer, Repeat(kAU8, 20), ProductType(2), Repeat(kAU8, 12)},
        {"kana, type 3", kUTF8Printer, Repeat(kAU8, 20), ProductType(3), Repeat(kAU8, 16)},
        {"a-grave, no product type", kUTF8Printer, "abc\xC3\xA0", "", ""},
        {"a-grave, type 2", kUTF8Printer, "abc\xC3\xA0", ProductType(2), ""},
        {"a-grave, type 3", kUTF8Printer, "abc\xC3\xA0", ProductType(3), ""},
        {"a-grave, type 5", kUTF8Printer, "abc\xC3\xA0", ProductType(5), ""},
        {"tab, type 3", kUTF8Printer, "a\tb", ProductType(3), ""},
        {"line feed", kUTF8Printer, "a\nb", "", ""},
        {"invalid UTF-8", kUTF8Printer, "a\xFF", "", ""},
        {"cut inside a kanji at 254 bytes", kUTF8Printer, "a" + Repeat(kNichiU8, 128), "", ""},
        // Cuts by units drop a surrogate half left at the end.
        {"column cut between surrogates", kUTF8Printer, std::string(31, 'a') + kGrin + "aa", "",
         std::string(31, 'a')},
        {"limit cut between surrogates", kUTF8Printer, std::string(11, 'a') + kGrin,
         ProductType(2), std::string(11, 'a')},
        // Characters without columns: the title is cut by bytes at a
        // character boundary.
        {"long title of no columns", kUTF8Printer, "x" + Repeat(alef, 128), "",
         "x" + Repeat(alef, 126)},
        {"long title of no columns, type 3", kUTF8Printer, "x" + Repeat(alef, 128),
         ProductType(3), "x" + Repeat(alef, 63)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Name(c.ppd, c.title, c.options), c.expected) << c.what;
}

TEST_F(Gathering, InvalidTitleReportsOnce)
{
    for (const std::string &ppd : {kSJISPrinter, kUTF8Printer})
        EXPECT_EQ(Gather(ppd, "a\xFF", ""), "CFStringCreateWithCString fail\n") << ppd;
}

TEST(DocumentNameRules, ColumnsAndLimits)
{
    struct Case {
        char16_t unit;
        int width;
    } widths[] = {{u'a', 1},      {u'\u00FF', 1}, {u'\u0100', 2}, {u'\u3042', 2},
                  {u'\u65E5', 2}, {u'\u8A9E', 1}, {u'\uFF61', 2}, {u'\u2014', 1}};
    for (const auto &w : widths)
        EXPECT_EQ(DocumentNameColumnWidth(w.unit), w.width) << std::hex << int(w.unit);
    EXPECT_EQ(DocumentNameUnitLimit(3), 64);
    EXPECT_EQ(DocumentNameUnitLimit(2), 12);
    EXPECT_EQ(DocumentNameUnitLimit(5), 32);
    EXPECT_EQ(DocumentNameUnitLimit(-1), 32);
}
