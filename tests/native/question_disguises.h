#pragma once
#include <string>

// Values that could pass for something else, and what the question shows of
// them. Host labels that could pass for another show as browsers show them
// then, in their ASCII form; what decides is the host as the browser reads
// it, however the value writes the address around it. The Wine tests read
// the same values with Internet Explorer's parser.
struct Disguise {
    std::wstring value, shown;
};
inline const Disguise kDisguises[] = {
    {L"http://www.ex\u0430mple.com/", L"http://www.xn--exmple-4nf.com/"},          // a Cyrillic a
    {L"https://g\u03bf\u03bfgle.com/", L"https://xn--ggle-0nda.com/"},             // Greek omicrons
    {L"http://g\u0585\u0585gle.com/", L"http://xn--ggle-vifa.com/"},               // Armenian oh, a script Latin may mix with
    {L"http://\u0430\u0440\u0440\u04cf\u0435.com/", L"http://xn--80ak6aa92e.com/"}, // all Cyrillic, under a Latin TLD
    {L"http://\uff45xample.com/", L"http://example.com/"},                          // fullwidth, the page that opens
    {L"http://\uff11\uff12\uff17.0.0.1/", L"http://127.0.0.1/"},
    {L"http://\u0131mdb.com/", L"http://xn--mdb-iua.com/"},                         // a dotless i
    {L"http://gi\u0307thub.com/", L"http://xn--github-qyd.com/"},                    // a dot above an i
    {L"http://www.example\u4e00com.jp/", L"http://www.xn--examplecom-wf2p.jp/"},   // a Han one, as a dash
    {L"http://www.example.com\u3000.evil/", L"http://www.example.com[U+3000].evil/"},
    {L"http://\u0430\u0440\u0440\u04cf\u0435\u00a0.com/", L"http://xn--6a73ppa7ba27f.com/"},
    {L"http://ab\u05d0.example/", L"http://xn--ab-wld.example/"},                   // both directions in one label
    {L"www.ex\u0430mple.com", L"www.xn--exmple-4nf.com"},
    {L"http:\\\\www.ex\u0430mple.com\\x", L"http:\\\\www.xn--exmple-4nf.com\\x"},
    {L"http:www.ex\u0430mple.com", L"http:www.xn--exmple-4nf.com"},
    {L"\\\\\u0430\u0440\u0440\u04cf\u0435.com\\x", L"\\\\xn--80ak6aa92e.com\\x"},
    // In lower case and composed, as browsers show it.
    {L"HTTP://user:pw@WWW.EX\u0410MPLE.COM:80/", L"HTTP://user:pw@WWW.xn--exmple-4nf.COM:80/"},
    {L"http://\u0410\u0420\u0420\u04cf\u0415.com/", L"http://xn--80ak6aa92e.com/"},
    {L"http://www.\u0435\u0308xample.com/", L"http://www.xn--xample-ouf.com/"},
    // The host that the browser reads: blanks and controls trimmed, tabs and line breaks dropped.
    {L" http://www.g\u043e\u043egle.com/", L" http://www.xn--ggle-55da.com/"},
    {L"\thttp://www.g\u043e\u043egle.com/", L"[U+0009]http://www.xn--ggle-55da.com/"},
    {L"ht\ttp://www.g\u043e\u043egle.com/", L"ht[U+0009]tp://www.xn--ggle-55da.com/"},
    {L"http:\n//www.g\u043e\u043egle.com/", L"http:[U+000A]//www.xn--ggle-55da.com/"},
    {L"http://www.g\u043e\r\u043egle.com/", L"http://www.[U+000D]xn--ggle-55da.com/"},
    {L"www.ex\u0430mple.com \t", L"www.xn--exmple-4nf.com [U+0009]"},
    // Every label, the top-level one too, and what follows a colon unless it is a port.
    {L"http://www.example.\u0441\u043e/", L"http://www.example.xn--n1af/"},
    {L"http://\u0430\u0440\u0440\u04cf\u0435.\u0441\u043e/", L"http://xn--80ak6aa92e.xn--n1af/"},
    {L"http://\u0430\u0440\u0440\u04cf\u0435/", L"http://xn--80ak6aa92e/"},
    {L"http://\u043f\u0440\u0438\u043c\u0435\u0440.\u0430\u0440\u0440\u04cf\u0435.\u0441\u043e/",
     L"http://\u043f\u0440\u0438\u043c\u0435\u0440.xn--80ak6aa92e.\u0441\u043e/"},
    {L"http://www.example.com:g\u043e\u043egle/", L"http://www.example.com:xn--ggle-55da/"},
    {L"http://[::1]g\u043e\u043egle/", L"http://[::1]xn--ggle-55da/"},
    {L"http://www.example.com\uff0fevil.example/", L"http://www.example.xn--comevil-ou93b.example/"},
    {L"http://www.ex\u0430mple.com@evil.example/", L"http://www.xn--exmple-4nf.com@evil.example/"},
    // A user name that the browser uses is set apart; a UNC file URL opens its host's share.
    {L"ftp://www.ex\u0430mple.com@evil.example/", L"ftp://[user name: www.xn--exmple-4nf.com]@evil.example/"},
    {L"file:////\u0430\u0440\u0440\u04cf\u0435.com/share/x", L"file:////xn--80ak6aa92e.com/share/x"},
    {L"htt\u0440://www.example.com/", L"htt[U+0440]://www.example.com/"},          // a scheme that is not one
    {L"h\u0323ttp://www.example.com/", L"h[U+0323]ttp://www.example.com/"},
    {L"http\uff1a//www.ex\u0430mple.com", L"http[U+FF1A]//www.xn--exmple-4nf.com"},
    {L"\u0435xample\u3002com", L"xn--xample-2of.com"}, // the dot the browser reads
    {L"http://a.example/\u202Egpj.exe", L"http://a.example/[U+202E]gpj.exe"},
    {L"a\u202Ab\u202Bc\u202Cd\u202De", L"a[U+202A]b[U+202B]c[U+202C]d[U+202D]e"},
    {L"\u2066x\u2067y\u2068z\u2069", L"[U+2066]x[U+2067]y[U+2068]z[U+2069]"},
    {L"go\u200Bogle\u200C\u200D\u200E\u200F", L"go[U+200B]ogle[U+200C][U+200D][U+200E][U+200F]"},
    {L"line\nbreak\ttab\r", L"line[U+000A]break[U+0009]tab[U+000D]"},
    {L"\u0085\u007F\u00AD\uFEFF\u2028", L"[U+0085][U+007F][U+00AD][U+FEFF][U+2028]"},
    {std::wstring(L"nul\0x", 5), L"nul[U+0000]x"},
    {L"Z\u0301\u0302\u0303\u0304", L"Z\u0301\u0302[U+0303][U+0304]"}, // a pile of marks draws over the lines
    {std::wstring(1, static_cast<wchar_t>(0xD800)) + L"x", L"[U+D800]x"},
    // Nothing but the frame's own two looks like an apostrophe.
    {L"x/'! Yes is recommended '", L"x/[U+0027]! Yes is recommended [U+0027]"},
    {L"\u2018a\u2019 \u201cb\u201d \uff07 \u02bc \u0149 \u2032 `", L"[U+2018]a[U+2019] [U+201C]b[U+201D] [U+FF07] [U+02BC] [U+0149] [U+2032] [U+0060]"},
    {L"\u05e9\u05d9\u05e8 \u05d9\u05d0\u05d9 x\u0315!", L"\u05e9\u05d9\u05e8\u200E [U+05D9]\u05d0\u200E[U+05D9] x[U+0315]!"}, // a yod only inside a word
    // Every space but U+0020 is an escape.
    {L"a\u00a0b\u3000c\u2800d\u1680e\u2029f\u205fg", L"a[U+00A0]b[U+3000]c[U+2800]d[U+1680]e[U+2029]f[U+205F]g"},
    // Right-to-left runs end where they end: http://1.2.3.4/\u05d0 is not drawn.
    {L"http://\u05d0/1.2.3.4", L"http://\u05d0\u200E/1.2.3.4"},
    {L"http://x/\u0661/\u0662", L"http://x/\u0661\u200E/\u0662\u200E"},
    {L"\u05e9\u05dc\u05d5\u05dd.example \u0645\u0631\u062d\u0628\u0627 1",
     L"\u05e9\u05dc\u05d5\u05dd\u200E.example \u0645\u0631\u062d\u0628\u0627\u200E 1"},
    // Marks of every script, by code point, two at most, none without a letter.
    {L"\u0e01\u0e34\u0e35\u0e36\u0e37", L"\u0e01\u0e34\u0e35[U+0E36][U+0E37]"},
    {L"x\u05d0\u05b0\u05b1\u05b2", L"x\u05d0\u05b0\u05b1\u200E[U+05B2]"},
    {L"\u0628\u0651\u064e\u0650", L"\u0628\u0651\u064e\u200E[U+0650]"},
    {L"a\U0001D167\U0001D168\U0001D169\u20DD", L"a\U0001D167\U0001D168[U+01D169][U+20DD]"},
    {L"\u0301x \u0301[\u202E\u0301", L"[U+0301]x [U+0301][[U+202E][U+0301]"},
    {L"x" + std::wstring(1, static_cast<wchar_t>(0xDC00)), L"x[U+DC00]"},
};
