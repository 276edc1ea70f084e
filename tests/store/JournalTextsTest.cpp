// The journal view's texts without a window: its words and their defaults, the action keys and
// status captions of rows, and the detail text of each kind of transaction, read from its parts
// with missing parts, on the budget's own journal.
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "KindFixture.h"
#include "platform/Text.h"
#include "shell/Ulanguage.h"
#include "store/JournalTexts.h"
#include "store/TransKindContent.h"
#include "store/TransKindImport.h"
#include "store/TransKindObject.h"
#include "store/TransKindPay.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

// The parts of a transaction: its integers, texts and dates, numbered from 1 in each table.
struct TParts {
    std::vector<int> ints = {};
    std::vector<std::string> texts = {};
    std::vector<TDateTime> dates = {};
};

const TDateTime kMade = 46000 + 0.5 + 5.0 / 86400;  // 9 December 2025, 12:00:05
const TDateTime kDay1 = 45300;                      // 9 January 2024
const TDateTime kDay2 = 45301;

// Every kind of the program registered, the dates and times written as "dd.MM.yyyy" and
// "HH:mm:ss", and every word of the view "<" + its key + ">", so that the texts show which word
// stands where.
class DetailTexts : public KindFixture<TAddKind<TFolderContent>, TAddKind<TTableContent>,
                                       TDeleteKind<TPayContent>, TDeleteKind<TFilesContent>,
                                       TRenameKind, TMoveKind, TTableChangeKind, TImagesChangeKind,
                                       TImportKind, TAutoChargesChangeKind, TPayDirectionKind> {
protected:
    DetailTexts() {
        for (const PayChangeCode code : {kPayAddCounter, kPayAddManualCharge, kPayAddPayment})
            Register(std::make_unique<TPayEventAddKind>(code));
        for (const PayChangeCode code :
             {kPayDeleteCounter, kPayDeleteManualCharge, kPayDeletePayment})
            Register(std::make_unique<TPayEventDeleteKind>(code));
        for (const PayChangeCode code :
             {kPayChangeCounter, kPayChangeManualCharge, kPayChangePayment})
            Register(std::make_unique<TPayEventChangeKind>(code));
        SetShortDateFormat("dd.MM.yyyy");
        SetLongTimeFormat("HH:mm:ss");
        std::ofstream file(ToStdString(lang.path()) + "/Log.lng");
        file << "[Log]\n";
        for (const std::string_view key : TLogWords::Keys()) file << key << "=<" << key << ">\n";
        file.close();
        words.Read(TLangFile(ToStdString(lang.path()) + "/Log.lng"), "Log");
    }
    ~DetailTexts() override {
        SetShortDateFormat(shortDate_);
        SetLongTimeFormat(longTime_);
    }

    // A journal row made on kMade, with its parts.
    static void AddTrans(int nTrans, const char* act, int type, const std::string& name,
                         const TParts& parts, const char* status = "APPLY") {
        AddRow("jTrans", {{"NTrans", nTrans},
                          {"Act", act},
                          {"Status", status},
                          {"Date", kMade},
                          {"Time", kMade},
                          {"IDObject", 5},
                          {"Type", type},
                          {"NameObject", name}});
        for (std::size_t k = 0; k < parts.ints.size(); ++k)
            AddRow("jTrInteger",
                   {{"NTrans", nTrans}, {"NPart", int(k + 1)}, {"Value", parts.ints[k]}});
        for (std::size_t k = 0; k < parts.texts.size(); ++k)
            AddRow("jTrText",
                   {{"NTrans", nTrans}, {"NPart", int(k + 1)}, {"Value", parts.texts[k]}});
        for (std::size_t k = 0; k < parts.dates.size(); ++k)
            AddRow("jTrDate",
                   {{"NTrans", nTrans}, {"NPart", int(k + 1)}, {"Value", parts.dates[k]}});
    }

    // The detail text of the transaction, as the journal view shows it with the data module's
    // journal table on its row.
    Lines Detail(int nTrans) {
        dm.TablejTrans.Refresh();
        EXPECT_TRUE(dm.TablejTrans.Locate("NTrans", {nTrans}));
        return DetailText(CurrentJournalEntry(dm.TablejTrans), words);
    }
    // The lines that the transaction's kind adds after the two common lines.
    Lines KindLines(int nTrans) {
        Lines lines = Detail(nTrans);
        lines.erase(lines.begin(), lines.begin() + 2);
        return lines;
    }

    QTemporaryDir lang;
    TLogWords words;

private:
    std::string shortDate_ = ShortDateFormat();
    std::string longTime_ = LongTimeFormat();
};

}  // namespace

TEST_F(DetailTexts, EveryTextStartsWithTheRowsDateTimeActionStatusAndName) {
    AddTrans(1, "ADD", 10, "Savings", {{0, 80}, {"for later"}});
    AddTrans(2, "XYZ", 10, "Odd", {{0, 80}, {"for later"}}, "READY");
    AddTrans(3, "CHANG", 10, "Folder", {});
    EXPECT_EQ(Detail(1), (Lines{"09.12.2025 12:00:05 <ActAddFolder>  (<StatusAPPLY>)",
                                "<DetailName>: Savings", "<DetailDescript>: for later"}));
    // An Act without a kind adds nothing; READY is its own caption.
    EXPECT_EQ(Detail(2), (Lines{"09.12.2025 12:00:05 ???  (READY)", "<DetailName>: Odd"}));
    EXPECT_EQ(Detail(3),
              (Lines{"09.12.2025 12:00:05 ???  (<StatusAPPLY>)", "<DetailName>: Folder"}));
}

TEST_F(DetailTexts, AnEmptyJournalShowsTheTwoLinesWithoutValues) {
    EXPECT_EQ(DetailText(CurrentJournalEntry(dm.TablejTrans), words),
              (Lines{"  ???  ()", "<DetailName>: "}));
    dm.TablejTrans.Close();
    EXPECT_EQ(DetailText(CurrentJournalEntry(dm.TablejTrans), words),
              (Lines{"  ???  ()", "<DetailName>: "}));
}

TEST_F(DetailTexts, CreatingAndDeletingShowTheDescriptionAndTheKeptFiles) {
    AddTrans(1, "ADD", 20, "Rent", {{0, 16, 0}, {}});
    AddTrans(2, "DEL", 60, "Loan",
             {{0, 24, 0, 0}, {"the car", "O", "011110000000000"}, {kDay1, kDay1, kDay2}});
    AddTrans(3, "DEL", 40, "Papers", {{0, 20, 3}, {"scans"}});
    AddTrans(4, "DEL", 40, "Empty", {{0, 20, 0}, {"nothing"}});
    fs::create_directories(TransFolder(3) + "/sub folder");
    for (const char* name : {"b.txt", "A.pdf", "c d.doc"})
        std::ofstream(TransFolder(3) + "/" + name) << "x";
    const struct {
        int nTrans;
        Lines lines;
    } cases[] = {
        {1, {"<DetailDescript>: ???"}},
        {2, {"<DetailDescript>: the car"}},
        {3,
         {"<DetailDescript>: scans", "", "<DetailDeletedFiles>", "1). A.pdf", "2). b.txt",
          "3). c d.doc"}},
        {4, {"<DetailDescript>: nothing", "", "<DetailDeletedFiles>"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nTrans);
        EXPECT_EQ(KindLines(c.nTrans), c.lines);
    }
}

TEST_F(DetailTexts, ARenameListsWhatChanged) {
    const struct {
        const char* what;
        TParts parts;
        std::string changed;
    } cases[] = {
        {"the icon only", {{86, 84}, {"car", "Car", "car"}}, "<DetailBadge>"},
        {"name and description",
         {{84, 84}, {"new car", "Old", "car"}},
         "<DetailName>, <DetailDescript>"},
        {"all three",
         {{86, 84}, {"new car", "Old", "car"}},
         "<DetailBadge>, <DetailName>, <DetailDescript>"},
        {"nothing", {{84, 84}, {"car", "Car", "car"}}, ""},
        {"both descriptions missing", {{84, 84}, {}}, "<DetailName>"},
        {"an icon part missing", {{86}, {"car", "Car", "car"}}, ""},
    };
    int nTrans = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AddTrans(++nTrans, "REN", 10, "Car", c.parts);
        EXPECT_EQ(KindLines(nTrans).back(), "<DetailHasChanged>: " + c.changed + ".");
    }
    EXPECT_EQ(Detail(2), (Lines{"09.12.2025 12:00:05 <ActRenFolder>  (<StatusAPPLY>)",
                                "<DetailName>: Car", "<DetailDescript>: new car", "",
                                "<DetailOldName>: Old", "<DetailOldDescript>: car", "",
                                "<DetailHasChanged>: <DetailName>, <DetailDescript>."}));
    EXPECT_EQ(KindLines(5),
              (Lines{"<DetailDescript>: ???", "", "<DetailOldName>: ", "<DetailOldDescript>: ???",
                     "", "<DetailHasChanged>: <DetailName>."}));
}

TEST_F(DetailTexts, AMoveShowsTheOldFolderThenTheNewOne) {
    AddTrans(1, "MOVE", 30, "Photos", {{7, 3}, {"Holidays", "Home"}});
    AddTrans(2, "MOVE", 30, "Photos", {{7, 3}, {"Holidays"}});
    EXPECT_EQ(KindLines(1), (Lines{"", "<DetailFromFolder>: Home", "<DetailToFolder>: Holidays"}));
    EXPECT_EQ(KindLines(2), (Lines{"", "<DetailFromFolder>: ", "<DetailToFolder>: Holidays"}));
}

TEST_F(DetailTexts, AnImageChangeListsTheNewPicturesThenTheOldOnes) {
    const struct {
        const char* what;
        TParts parts;
        Lines lines;
    } cases[] = {
        {"two new, one old",
         {{2, 1}, {"a.jpg", "sea", "b.jpg", "", "old.jpg", "hill"}},
         {"", "<DetailNewImages>", "1). a.jpg , sea", "2). b.jpg , ", "", "<DetailOldImages>",
          "1). old.jpg , hill"}},
        {"none new",
         {{0, 1}, {"old.jpg", "hill"}},
         {"", "<DetailNewImages>", "", "<DetailOldImages>", "1). old.jpg , hill"}},
        {"the parts cut short",
         {{1, 2}, {"a.jpg", "sea", "old.jpg"}},
         {"", "<DetailNewImages>", "1). a.jpg , sea", "", "<DetailOldImages>", "1). old.jpg , "}},
        {"no counts", {{}, {"a.jpg", "sea"}}, {"", "<DetailNewImages>", "", "<DetailOldImages>"}},
    };
    int nTrans = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AddTrans(++nTrans, "CHANG", 30, "Album", c.parts);
        EXPECT_EQ(KindLines(nTrans), c.lines);
    }
    AddTrans(++nTrans, "CHANG", 20, "Table", {{1, 0}, {"row", "value"}});
    EXPECT_EQ(KindLines(nTrans), Lines{});
}

TEST_F(DetailTexts, APayChangeShowsItsTypeAndTheEventOldThenNew) {
    const std::string day1 = "09.01.2024", day2 = "10.01.2024";
    const struct {
        const char* what;
        TParts parts;
        Lines lines;
    } cases[] = {
        {"auto charges",
         {{6010, 0, 0, 0, 0, 0}, {}, {kDay1}},
         {"<ActPayChType> <ActPayChAutoCharge>"}},
        {"a counter added",
         {{6021, 1}, {"125,5", "meter"}, {kDay1}},
         {"<ActPayChType> <ActPayChAddCounter>", "   " + day1 + "  :  125,5  :  meter"}},
        {"a charge removed, its description missing",
         {{6033, 2}, {"10"}, {kDay1}},
         {"<ActPayChType> <ActPayChDelCharge>", "   " + day1 + "  :  10"}},
        {"a payment added, no parts but the code",
         {{6041}, {}, {}},
         {"<ActPayChType> <ActPayChAddPay>", ""}},
        {"a payment changed",
         {{6042, 3, 1}, {"20", "new", "15", "old"}, {kDay2, kDay1}},
         {"<ActPayChType> <ActPayChChPay>",
          "   " + day1 + "  :  15  :  old   >>>   " + day2 + "  :  20  :  new"}},
        {"a counter changed, its old date missing",
         {{6022, 3, 1}, {"20", "new", "15", "old"}, {kDay2}},
         {"<ActPayChType> <ActPayChChCounter>",
          "  :  15  :  old   >>>   " + day2 + "  :  20  :  new"}},
        {"the direction from out to in",
         {{6050}, {"IO"}},
         {"<ActPayChType> <ActPayChDirectPay>", "<DirectO>   >>>   <DirectI>"}},
        {"the direction with one letter",
         {{6050}, {"N"}},
         {"<ActPayChType> <ActPayChDirectPay>", "   >>>   <DirectN>"}},
        {"the direction with other letters",
         {{6050}, {"XY"}},
         {"<ActPayChType> <ActPayChDirectPay>", "   >>>   "}},
        {"the direction without its letters",
         {{6050}, {}},
         {"<ActPayChType> <ActPayChDirectPay>", ""}},
        {"an unknown code", {{6060}, {"IO"}}, {}},
        {"no code", {{}, {"IO"}}, {}},
    };
    int nTrans = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AddTrans(++nTrans, "CHANG", 60, "Rent", c.parts);
        EXPECT_EQ(KindLines(nTrans), c.lines);
    }
}

TEST_F(DetailTexts, AnImportNamesTheArchive) {
    AddTrans(1, "IMP", 0, "Branch", {{1}, {"branch 2024.tar.gz"}, {kDay1}});
    AddTrans(2, "IMP", 10, "Branch", {{1}, {}, {kDay1}});
    EXPECT_EQ(Detail(1), (Lines{"09.12.2025 12:00:05 <ActImport>  (<StatusAPPLY>)",
                                "<DetailName>: Branch", "<DetailImport> branch 2024.tar.gz"}));
    EXPECT_EQ(KindLines(2), Lines{"<DetailImport> "});
}

TEST_F(DetailTexts, ReadingThePartsNeverMovesTheSharedPartTables) {
    AddTrans(1, "CHANG", 30, "Album", {{1, 0}, {"a.jpg", "sea"}});
    AddTrans(2, "REN", 10, "Car", {{86, 84}, {"new car", "Old", "car"}});
    for (TTable* parts : {&dm.TablejTrInteger, &dm.TablejTrText}) {
        parts->Refresh();
        parts->Last();
    }
    const TFilter filter = Where("NTrans") == 2;
    dm.TablejTrDate.SetFilter(filter);
    dm.TablejTrDate.SetFiltered(true);
    Detail(1);
    Detail(2);
    EXPECT_EQ(dm.TablejTrInteger.FieldByName("NPart").AsInteger(), 2);
    EXPECT_EQ(dm.TablejTrText.FieldByName("Value").AsString(), "car");
    EXPECT_TRUE(dm.TablejTrDate.Filtered());
    EXPECT_EQ(dm.TablejTrDate.Filter(), filter);
}

TEST(JournalWords, ActionKeysByTypeAndAct) {
    const struct {
        int type;
        const char* act;
        const char* key;
    } cases[] = {
        {10, "ADD", "ActAddFolder"},
        {10, "REN", "ActRenFolder"},
        {10, "DEL", "ActDelFolder"},
        {10, "MOVE", "ActMoveFolder"},
        {10, "CHANG", "***"},
        {10, "IMP", "ActImport"},
        {0, "IMP", "ActImport"},
        {0, "ADD", "***"},
        {20, "CHANG", "ActChangeTable"},
        {30, "DEL", "ActDelImages"},
        {40, "CHANG", "ActChangeFiles"},
        {40, "IMP", "***"},
        {50, "MOVE", "ActMoveNumber"},
        {60, "CHANG", "ActChangePay"},
        {60, "REN", "ActRenPay"},
        {70, "ADD", "***"},
        {10000, "DEL", "***"},
        {20, "add", "***"},
        {20, "ADD ", "***"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + c.act);
        EXPECT_EQ(ActionKey(c.type, c.act), c.key);
    }
}

TEST(JournalWords, DefaultsAndCaptionsWithoutALanguageFile) {
    TLogWords words;
    words.Read(TLangFile("/nonexistent/Log.lng"), "Log");
    EXPECT_EQ(TLogWords::Keys().size(), 66U);
    EXPECT_EQ(words.ActionCaption(10, "ADD"), "Create folder");
    EXPECT_EQ(words.ActionCaption(50, "CHANG"), "Change number");
    EXPECT_EQ(words.ActionCaption(60, "MOVE"), "Move pay");
    EXPECT_EQ(words.ActionCaption(0, "IMP"), "");
    EXPECT_EQ(words.ActionCaption(10, "CHANG"), "???");
    EXPECT_EQ(words.Word("ActPayChType"), "Type of change pay:");
    EXPECT_EQ(words.Word("ActPayChAutoCharge"), "change auto charge list");
    EXPECT_EQ(words.Word("DetailName"), "");
    EXPECT_EQ(words.StatusCaption("APPLY"), "");
    EXPECT_EQ(words.StatusCaption("READY"), "READY");
    EXPECT_EQ(words.StatusCaption("back"), "back");
}
