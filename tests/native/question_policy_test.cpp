#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "question/QuestionText.h"

namespace {

// Each rule of the host policy both ways: a lie shown in its ASCII form,
// and an address that readers of its script use shown as written (`shown`
// empty). `known`: the pages this user knows.
struct PolicyCase {
    const char* rule;
    std::wstring value, shown = L"";
    std::vector<std::wstring> known = {};
};
const PolicyCase kPolicy[] = {
    {"allowed", L"http://g\u01c3ogle.com/", L"http://xn--gogle-oub.com/"},
    {"allowed", L"http://b\u00fccher.de/"},
    {"highly restrictive: Devanagari", L"http://ex\u0915ample.com/", L"http://xn--example-imo.com/"},
    {"highly restrictive: Thai", L"http://ex\u0e01ample.com/", L"http://xn--example-iuw.com/"},
    {"highly restrictive: Georgian", L"http://ex\u10d0ample.com/", L"http://xn--example-uj1a.com/"},
    {"highly restrictive: Tibetan", L"http://ex\u0f40ample.com/", L"http://xn--example-fxy.com/"},
    {"highly restrictive: Armenian", L"http://goog\u056ce.com/", L"http://xn--googe-egg.com/"},
    {"highly restrictive: Armenian", L"http://\u0575ava.com/", L"http://xn--ava-bfe.com/"},
    {"highly restrictive: Han beside Latin", L"http://\u4e00\u751fgamer.com/"},
    {"highly restrictive: Katakana with Latin", L"http://e\u30b3\u30de\u30fc\u30b9.jp/"},
    {"latin only ascii when mixed", L"http://\u00e9\u30b3\u30de.jp/", L"http://xn--9ca285vyda.jp/"},
    {"latin only ascii when mixed", L"http://\u00e9t\u00e9.fr/"},
    {"one numbering system", L"http://\u0a680.com/", L"http://xn--0-6ee.com/"},
    {"one numbering system", L"http://\u4e00123.com/"},
    {"one numbering system", L"http://\u06f0.example/"},
    {"digit lookalikes", L"http://\u0a68\u0a68.com/", L"http://xn--qcca.com/"},
    {"digit lookalikes", L"http://\u0967\u0966\u0966.in/"},
    {"lookalike among ascii: kra", L"http://\u0138ite.com/", L"http://xn--ite-bva.com/"},
    {"lookalike among ascii: \u00e6 reads as itself", L"http://bl\u00e5b\u00e6r.no/"},
    {"marks: a kana voiced sound mark on Latin", L"http://ex\u3099ample.com/", L"http://xn--example-qo4f.com/"},
    {"marks: a Hebrew point on Latin", L"http://ex\u05b4ample.com/", L"http://xn--example-syi.com/"},
    {"marks: an Arabic one on Latin", L"http://ex\u064eample.com/", L"http://xn--example-zyj.com/"},
    {"marks: a generic one on Han", L"http://\u4e2d\u0301.com/", L"http://xn--lsa1069a.com/"},
    {"marks: repeated", L"http://e\u0301\u0301.com/", L"http://xn--9ca68h.com/"},
    {"marks: on a dotless i", L"http://\u0131\u0302.com/", L"http://xn--cfa44g.com/"},
    {"marks: on their own letters", L"http://e\u0301cole.fr/"},
    {"marks: on their own letters", L"http://\u0915\u093f.in/"},
    {"kana in context: \u30fc between Han", L"http://\u4e2d\u30fc\u6587.com/", L"http://xn--wekt29fp6p.com/"},
    {"kana in context: \u30fd after Latin", L"http://a\u30fd.jp/", L"http://xn--a-mju.jp/"},
    {"kana in context: \u30fb between Han", L"http://\u4e2d\u30fb\u6587.jp/"},
    {"kana in context: \u30fc after kana", L"http://\u30b3\u30fc\u30d2\u30fc.jp/"},
    {"strokes among cjk", L"http://goog\u4e28e.com/", L"http://xn--googe-en1h.com/"},
    {"strokes among cjk", L"http://\u30ce.jp/"},
    {"no deviation", L"http://stra\u00dfe.de/", L"http://xn--strae-oqa.de/"},
    {"no deviation", L"http://\u03c3\u03bf\u03c6\u03bf\u03c2.gr/", L"http://xn--0xaajbq.gr/"},
    {"no deviation", L"http://\u03b5\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac.gr/"},
    {"letters at home: \u00fe", L"http://\u00fe\u00e6r.com/", L"http://xn--r-3fa5e.com/"},
    {"letters at home: \u00fe", L"http://\u00fe\u00e6r.is/"},
    {"letters at home: \u0259", L"http://b\u0259k.com/", L"http://xn--bk-ufb.com/"},
    {"letters at home: \u0259", L"http://b\u0259k.az/"},
    {"letters at home: \u00b7", L"http://col\u00b7legi.cat/"},
    {"letters at home: \u00b7", L"http://l\u00b7l.com/", L"http://xn--ll-0ea.com/"},
    {"letters at home: \u00b7", L"http://a\u00b7b.cat/", L"http://xn--ab-0ea.cat/"},
    {"whole-script lookalike", L"http://\u043e\u0440\u0435\u043f\u0430\u0456.com/", L"http://xn--80aj0afd9k.com/"},
    {"whole-script lookalike", L"http://\u0441\u043f\u043f.com/", L"http://xn--o1aae.com/"},
    {"whole-script lookalike", L"http://\u0455\u043e\u043f\u0443.com/", L"http://xn--n1acm3e.com/"},
    {"whole-script lookalike", L"http://\u03b7\u03bf\u03ba\u03b9\u03b1.com/", L"http://xn--mxalgdy.com/"},
    {"whole-script lookalike", L"http://\u03a4\u039f\u03a5\u039f\u03a4\u0391.com/", L"http://xn--mxa1aasce.com/"},
    {"whole-script lookalike", L"http://\u043e\u0440\u0435\u043f\u0430\u0456.\u0441\u043e/", L"http://xn--80aj0afd9k.xn--n1af/"},
    {"whole-script lookalike: at home", L"http://\u043e\u0440\u0435\u043f\u0430\u0456.ru/"},
    {"whole-script lookalike: not all lookalikes", L"http://\u0441\u0430\u0439\u0442.com/"},
    {"the page it replaces", L"http://www.ex\u0227mple.com/", L"http://www.xn--exmple-xoc.com/", {L"http://www.example.com/"}},
    {"the page it replaces", L"http://www.example.org/", L"", {L"http://www.example.com/"}},
    {"the page it replaces", L"http://www.ex\u0227mple.com/", L"", {L"http://www.ex\u0227mple.com/"}},
    {"an overlay is escaped", L"http://google.com\u0338abc", L"http://google.com[U+0338]abc"},
    {"a UNC file URL", L"file:////\u043e\u0440\u0435\u043f\u0430\u0456.com/share/x", L"file:////xn--80aj0afd9k.com/share/x"},
    {"a UNC file URL", L"file://\\\\\u043e\u0440\u0435\u043f\u0430\u0456.com\\share", L"file://\\\\xn--80aj0afd9k.com\\share"},
    {"a user name in use", L"ftp://www.google.com@evil.example/", L"ftp://[user name: www.google.com]@evil.example/"},
    {"a user name that http refuses", L"http://www.google.com@evil.example/"},
    {"the dots the browser reads", L"http://accounts.example.com\u3002evil.example/", L"http://accounts.example.com.evil.example/"},
    {"the dots the browser reads", L"http://a\uff0eexample\uff61com/", L"http://a.example.com/"},
};

} // namespace

TEST(QuestionPolicyTest, EachRuleCatchesItsLieAndKeepsWhatReadsTrue) {
    for (const PolicyCase& c : kPolicy) {
        question::Display d = question::kDisplays[0];
        d.known = &c.known;
        EXPECT_EQ(question::shownInQuestion(c.value, d), c.shown.empty() ? c.value : c.shown)
            << c.rule;
    }
}
