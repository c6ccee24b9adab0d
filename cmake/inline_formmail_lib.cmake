# Builds the PHP page template with the form mailer's functions inside, so the
# self-contained PHP form and formmail.php share one copy of that code.
# Usage: cmake -DTEMPLATE=in -DLIBRARY=lib.php -DOUTPUT=out -P inline_formmail_lib.cmake
file(READ "${TEMPLATE}" template)
file(READ "${LIBRARY}" library)
# The library's own file header: the opening tag and the strict-types
# declaration, which only stands first in a file.
string(REGEX REPLACE "^<\\?php[^\n]*\n" "" library "${library}")
string(REPLACE "declare(strict_types=1);\n" "" library "${library}")
string(REPLACE "// @VQ_FORMMAIL_LIB@\n" "${library}" result "${template}")
if(result STREQUAL template)
  message(FATAL_ERROR "${TEMPLATE}: the line // @VQ_FORMMAIL_LIB@ is missing")
endif()
file(WRITE "${OUTPUT}" "${result}")
