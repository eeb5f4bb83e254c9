// Environment expansion on POSIX, by the rules of the Windows expansion the program was made
// for: a '%' starts a reference that ends at the next '%'; a defined name is replaced by its
// value; an undefined one is copied with both its percent signs and the scan goes on behind it;
// a '%' without a closing one is copied as it is. Names are looked up exactly as written (POSIX
// names are case-sensitive). The expansion cannot fail here.
#include <cstdlib>
#include <string>

#include "menvironment.h"

bool MReplaceEnvironmentVars(std::string& text) {
  std::string expanded;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t open = text.find('%', pos);
    const size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) {
      expanded.append(text, pos, std::string::npos);
      break;
    }
    expanded.append(text, pos, open - pos);
    const std::string name = text.substr(open + 1, close - open - 1);
    const char* value = name.empty() ? nullptr : getenv(name.c_str());
    if (value)
      expanded += value;
    else
      expanded.append(text, open, close - open + 1);
    pos = close + 1;
  }
  text.swap(expanded);
  return true;
}
