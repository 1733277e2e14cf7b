# Whether the test hooks stayed out of the program as shipped:
#   cmake -DSHIPPED=PROGRAM -DWITH_HOOKS=PROGRAM -P check-programs.cmake
# SHIPPED (the uninstaller target) must hold no "UNINSTALLER_TEST_" string,
# in 8-bit or UTF-16 text; WITH_HOOKS (uninstaller-testhooks, from the same
# sources) must hold the names of both variables that tests/hooks/testhooks.cpp
# reads, or this check could not tell the two apart.
foreach(variable SHIPPED WITH_HOOKS)
    if(NOT DEFINED ${variable} OR NOT EXISTS "${${variable}}")
        message(FATAL_ERROR "${variable}: no program at \"${${variable}}\"")
    endif()
endforeach()

# found(OUT FILE TEXT): TRUE in OUT when FILE holds TEXT in ASCII (as in a
# const char* literal) or in UTF-16LE (as in a QStringLiteral on Windows and
# Linux alike). file(STRINGS) reads UTF-16 in pairs of bytes from the file's
# start, which finds such text: the compilers keep char16_t data 2-aligned.
function(found out file text)
    foreach(encoding UTF-8 UTF-16LE)
        file(STRINGS "${file}" hits ENCODING ${encoding} REGEX "${text}")
        if(hits)
            set(${out} TRUE PARENT_SCOPE)
            return()
        endif()
    endforeach()
    set(${out} FALSE PARENT_SCOPE)
endfunction()

found(leak "${SHIPPED}" "UNINSTALLER_TEST_")
if(leak)
    file(STRINGS "${SHIPPED}" hits REGEX "UNINSTALLER_TEST_")
    message(FATAL_ERROR "${SHIPPED} holds test-only names: ${hits}")
endif()
foreach(name UNINSTALLER_TEST_HOLD UNINSTALLER_TEST_IN_USE)
    found(present "${WITH_HOOKS}" "${name}")
    if(NOT present)
        message(FATAL_ERROR "${WITH_HOOKS} does not hold ${name}: the check finds nothing")
    endif()
endforeach()
message(STATUS "${SHIPPED}: no test-only names; ${WITH_HOOKS}: both")
