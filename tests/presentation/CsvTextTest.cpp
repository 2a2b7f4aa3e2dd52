#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "presentation/CsvText.h"

namespace {

std::string bytesOf(const CsvText& csv) { return std::string(reinterpret_cast<const char*>(csv.data()), csv.size()); }

struct FieldCase {
    const char* input;
    bool number;
    const char* expected;
};

// "表" is 0x95 0x5C: its trail byte is a backslash, which passes as it is.
const FieldCase kFieldCases[] = {
    {"report.txt", false, "report.txt"},
    {"a,b", false, "\"a,b\""},
    {"say \"hi\"", false, "\"say \"\"hi\"\"\""},
    {"two\r\nlines", false, "\"two\r\nlines\""},
    {"line\nfeed", false, "\"line\nfeed\""},
    {"=SUM(A1)", false, "'=SUM(A1)"},
    {"+81", false, "'+81"},
    {"-1", false, "'-1"},
    {"@cmd", false, "'@cmd"},
    {"\tx", false, "'\tx"},
    {"\rx", false, "\"'\rx\""},
    {"=a,\"b\"", false, "\"'=a,\"\"b\"\"\""},
    {"表計算.xls", false, "表計算.xls"},
    {"表,表", false, "\"表,表\""},
    {"", false, ""},
    {"", true, ""},
    {" ", true, ""},
    {"-5", true, "-5"},
    {"4294967295", true, "4294967295"},
    {"=1+1", true, "'=1+1"},
    {"12x", true, "12x"},
};

}  // namespace

TEST(CsvText, FieldsAreQuotedAndGuardedAsSpreadsheetsNeed) {
    for (const FieldCase& c : kFieldCases) {
        SCOPED_TRACE(c.input);
        CsvText csv;
        if (c.number)
            csv.addNumber(c.input);
        else
            csv.addText(c.input);
        EXPECT_EQ(c.expected, bytesOf(csv));
    }
}

TEST(CsvText, LinesSeparateFieldsByCommasAndEndWithCrLf) {
    CsvText csv;
    csv.addText("a");
    csv.addText("");
    csv.addNumber(int64_t(4294967295u));
    csv.endLine();
    csv.addNumber(INT64_MIN);
    csv.addNumber(int64_t(0));
    csv.endLine();
    EXPECT_EQ("a,,4294967295\r\n-9223372036854775808,0\r\n", bytesOf(csv));
    EXPECT_FALSE(csv.failed());
}
