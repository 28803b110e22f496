// The constant compare functions and the locale collation of names.
#pragma once

#include <string>

#include "containers/ObjType.h"

/// Ignore both arguments (either may be absent) and always give the named result.
TCompareResult CompareEqual(TObject* a, TObject* b);
TCompareResult CompareLess(TObject* a, TObject* b);
TCompareResult CompareGreater(TObject* a, TObject* b);

/// Orders two 8-bit Windows-1252 strings by the collation of the user's default locale, the
/// one named by LC_ALL, else LC_COLLATE, else LANG; where none names a language (unset, "C"
/// or "POSIX", any codeset) the root collation, so that "a" still orders before "B".
/// Case-sensitive (tertiary strength); the registries order names with this one.
/// Strings the collation cannot tell apart are crEqual even if their bytes differ.
TCompareResult CompareNames(const std::string& a, const std::string& b);

/// As CompareNames, but blind to case (secondary strength): "abc" equals "ABC", while
/// accents still count.
TCompareResult CompareNamesNoCase(const std::string& a, const std::string& b);
