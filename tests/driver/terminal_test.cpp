#include "driver/terminal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <sstream>
#include <string>

namespace morva {
namespace {

TEST(Utf8Terminal, ShowsTheProgramsEightBitTextAsUtf8) {
  std::ostringstream screen;
  utf8_terminal_buf utf8(screen.rdbuf());
  std::ostream term(&utf8);
  term << " Collection temperature (\xB0"
          "C) : "
       << 97.2 << '\n'
       << "K\xF8ldvik" << std::flush;
  EXPECT_EQ(screen.str(),
            " Collection temperature (\xC2\xB0"
            "C) : 97.2\nK\xC3\xB8ldvik");
}

TEST(Utf8Terminal, TheLocaleDecides) {
  struct locale_case {
    const char *lc_all, *lc_ctype, *lang;
    bool utf8;
  };
  for (const locale_case& c : {locale_case{"", "", "en_US.UTF-8", true},
                               {"", "C", "en_US.UTF-8", false},
                               {"de_DE.utf8", "C", "", true},
                               {"", "", "", false}}) {
    setenv("LC_ALL", c.lc_all, 1);
    setenv("LC_CTYPE", c.lc_ctype, 1);
    setenv("LANG", c.lang, 1);
    EXPECT_EQ(utf8_locale(), c.utf8) << c.lc_all << "/" << c.lc_ctype << "/" << c.lang;
  }
}

}  // namespace
}  // namespace morva
