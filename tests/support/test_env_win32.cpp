// Windows environment changes for tests: the C runtime's copy, which getenv reads.
#include <stdlib.h>

#include "test_env.h"

namespace e2e {

void SetTestEnv(const std::string& name, const std::string& value) {
  _putenv_s(name.c_str(), value.c_str());  // an empty value removes the variable
}

}  // namespace e2e
