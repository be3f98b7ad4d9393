// The framework's run-time library: exceptions, strings, numbers as text, file names,
// files and folders, directory scans, and the registry of unit initialisation.
//
// Strings. `String` is QString (UTF-16: lengths and indices count UTF-16 units);
// `AnsiString` is std::string holding UTF-8. Every case-insensitive comparison of the
// framework is one routine (CompareText): Unicode simple case folding, independent of
// the locale. Upper- and lower-casing map each UTF-16 unit by itself, so a string never
// changes its length ("ß" stays "ß").
//
// Numbers as text always use '.' as the decimal separator, whatever the locale.
//
// Files. Every routine that takes a path goes through the platform's file functions,
// so their path rules hold: '\' and '/' both separate, "X:" stands for the root, and
// a path that does not exist exactly is matched component by component without regard
// to case.
#ifndef FRAMEWORK_SYSUTILS_H
#define FRAMEWORK_SYSUTILS_H

#include <QtCore/QString>

#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace fw {

using String = QString;
using AnsiString = std::string;

// ---- Format arguments ----------------------------------------------------------------

// One argument of Format: an integer, a real or a string.
class TVarRec {
public:
    enum class Kind {
        Integer,
        Float,
        String
    };

    TVarRec(int value) : m_kind(Kind::Integer), m_integer(value) {}
    TVarRec(long value) : m_kind(Kind::Integer), m_integer(value) {}
    TVarRec(long long value) : m_kind(Kind::Integer), m_integer(value) {}
    TVarRec(unsigned value) : m_kind(Kind::Integer), m_integer(value) {}
    TVarRec(unsigned long value) : m_kind(Kind::Integer), m_integer(static_cast<int64_t>(value)) {}
    TVarRec(double value) : m_kind(Kind::Float), m_float(value) {}
    TVarRec(const QString& value) : m_kind(Kind::String), m_string(value) {}
    TVarRec(const char* utf8) : m_kind(Kind::String), m_string(QString::fromUtf8(utf8)) {}
    TVarRec(const std::string& utf8) : m_kind(Kind::String), m_string(QString::fromStdString(utf8))
    {
    }

    Kind kind() const { return m_kind; }
    int64_t integer() const { return m_integer; }
    double real() const { return m_float; }
    const QString& string() const { return m_string; }

private:
    Kind m_kind;
    int64_t m_integer = 0;
    double m_float = 0;
    QString m_string;
};

// ---- Exceptions ------------------------------------------------------------------------

// The base of every exception the framework and the viewer raise; Message is the text
// shown to the user.
class Exception : public std::exception {
public:
    explicit Exception(const QString& message);
    // The message made by Format.
    Exception(const QString& format, std::initializer_list<TVarRec> arguments);

    const QString& Message() const { return m_message; }
    void SetMessage(const QString& message);
    // The message in UTF-8.
    const char* what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_message;
    std::string m_utf8;
};

#define FW_DECLARE_EXCEPTION(name, base) \
    class name : public base {           \
    public:                              \
        using base::base;                \
    }

FW_DECLARE_EXCEPTION(EAbort, Exception);
FW_DECLARE_EXCEPTION(EAssertionFailed, Exception);
FW_DECLARE_EXCEPTION(EConvertError, Exception);
FW_DECLARE_EXCEPTION(EOutOfMemory, Exception);
FW_DECLARE_EXCEPTION(EListError, Exception);
FW_DECLARE_EXCEPTION(EStringListError, EListError);
FW_DECLARE_EXCEPTION(EStreamError, Exception);
FW_DECLARE_EXCEPTION(EFCreateError, EStreamError);
FW_DECLARE_EXCEPTION(EFOpenError, EStreamError);
FW_DECLARE_EXCEPTION(EFilerError, EStreamError);
FW_DECLARE_EXCEPTION(EReadError, EFilerError);
FW_DECLARE_EXCEPTION(EWriteError, EFilerError);
FW_DECLARE_EXCEPTION(EClassNotFound, EFilerError);
FW_DECLARE_EXCEPTION(EIniFileException, Exception);

// Raises EAssertionFailed with the message, the file and the line, unless the
// condition holds.
void Assert(bool condition, const QString& message, const char* file = __builtin_FILE(),
            int line = __builtin_LINE());

// ---- Formatting --------------------------------------------------------------------------

// The framework's Format: text with "%[index:][-][width][.precision]type" specifiers,
// where index, width and precision may be '*' (taken from the next argument) and type
// is d (integer; the precision is the least number of digits), u, x (hexadecimal, upper
// case), f (fixed; precision 2 by default, at most 18), e (scientific, "d.ddddE+ddd"),
// g (general, 15 significant digits by default) or s (string; the precision cuts it).
// "%%" is a percent sign. Reals are first taken to 18 significant digits and then
// rounded half away from zero at the last place shown. Raises EConvertError "Format
// '%s' invalid or incompatible with argument" for a bad specifier, an argument of the
// wrong kind, or too few arguments.
QString Format(const QString& format, std::initializer_list<TVarRec> arguments);

// ---- Strings --------------------------------------------------------------------------

// Compares by Unicode simple case folding, code point by code point: negative, zero or
// positive. The one case-insensitive comparison of the framework.
int CompareText(const QString& a, const QString& b);
bool SameText(const QString& a, const QString& b);
inline int AnsiCompareText(const QString& a, const QString& b)
{
    return CompareText(a, b);
}
inline bool AnsiSameText(const QString& a, const QString& b)
{
    return SameText(a, b);
}
// Compares by UTF-16 units, case-sensitively.
int CompareStr(const QString& a, const QString& b);

// Upper and lower case of each UTF-16 unit by itself; the length never changes.
QString AnsiUpperCase(const QString& text);
QString AnsiLowerCase(const QString& text);
// Only 'a'..'z' and 'A'..'Z' change.
QString UpperCase(const QString& text);
QString LowerCase(const QString& text);

// Remove the characters up to ' ' (controls and blanks) at both ends, at the start or
// at the end.
QString Trim(const QString& text);
QString TrimLeft(const QString& text);
QString TrimRight(const QString& text);

// ---- Numbers as text -------------------------------------------------------------------

QString IntToStr(int64_t value);

// Integers: optional blanks before an optional sign, then decimal digits, or
// hexadecimal ones after "$", "0x" or "x"; nothing after them; within 32 bits.
bool TryStrToInt(const QString& text, int32_t& value);
// Raises EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(const QString& text);
int32_t StrToIntDef(const QString& text, int32_t fallback);

// Reals: optional blanks, an optional sign, digits with an optional '.' and fraction
// (at least one digit in all), an optional exponent "E[sign]digits", optional blanks.
bool TryStrToFloat(const QString& text, double& value);
// Raises EConvertError "'%s' is not a valid floating point value".
double StrToFloat(const QString& text);
double StrToFloatDef(const QString& text, double fallback);

// The nearest integer, halves to the even one; Trunc drops the fraction. A value
// outside the 64-bit range (or not a number) gives INT64_MIN.
int64_t RoundHalfEven(double value);
int64_t Trunc(double value);

// ---- File names -----------------------------------------------------------------------

// The canonical separator of paths that the framework makes; '\' is accepted as well.
constexpr char16_t PathDelim = u'/';

bool IsPathDelimiter(const QString& path, qsizetype index);
// The name after the last separator; the folder up to and including it.
QString ExtractFileName(const QString& path);
QString ExtractFilePath(const QString& path);
// The extension from the last '.' of the name (with the '.'), empty without one.
QString ExtractFileExt(const QString& path);
// The path with its extension replaced (or added; an empty extension removes it).
QString ChangeFileExt(const QString& path, const QString& extension);
QString IncludeTrailingPathDelimiter(const QString& path);
QString ExcludeTrailingPathDelimiter(const QString& path);

// The path in UTF-8 for the platform's file functions.
std::string PathToUtf8(const QString& path);

// ---- Files and folders ------------------------------------------------------------------

// A file (not a folder) of that name exists.
bool FileExists(const QString& path);
bool DirectoryExists(const QString& path);
// Makes the folder and every missing folder above it; true when it exists afterwards.
bool ForceDirectories(const QString& path);
bool DeleteFile(const QString& path);
QString GetCurrentDir();
bool SetCurrentDir(const QString& path);

// Points in time as the framework counts them: days since 30 December 1899 (local
// time), the time of day as the fraction.
using TDateTime = double;
// A file date (the packed local date and time of a directory entry, as TSearchRec.Time
// holds it) as a TDateTime.
TDateTime FileDateToDateTime(int32_t file_date);
// A date and a time of day as a TDateTime, and back. EncodeDate raises EConvertError
// "Invalid argument to date encode" for a date outside years 1 .. 9999 or one that the
// calendar lacks; EncodeTime raises "Invalid argument to time encode" outside
// 0:00:00.000 .. 23:59:59.999. The decoders round to the millisecond.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);

// ---- Directory scans -------------------------------------------------------------------

constexpr int32_t faReadOnly = 0x01;
constexpr int32_t faHidden = 0x02;
constexpr int32_t faSysFile = 0x04;
constexpr int32_t faDirectory = 0x10;
constexpr int32_t faArchive = 0x20;
constexpr int32_t faNormal = 0x80;
constexpr int32_t faAnyFile = 0x3F;

struct TSearchRec {
    int32_t Time = 0; // packed local date and time of the last write (FileDateToDateTime)
    int64_t Size = 0;
    int32_t Attr = 0;
    QString Name;
    int32_t ExcludeAttr = 0;          // the special attributes that were not asked for
    std::shared_ptr<void> FindHandle; // the scan; FindClose ends it
};

// Starts a scan of the folder entries that match the last component of path (Win32
// wildcards, without regard to case). Entries come in case-insensitive name order,
// never "." or "..". Hidden, system and folder entries come only when attributes
// asks for them. 0 with the first entry in record, else a Win32 error number (2 when
// nothing matches, 3 when the folder does not exist).
int FindFirst(const QString& path, int32_t attributes, TSearchRec& record);
// 0 with the next entry, 18 (ERROR_NO_MORE_FILES) after the last.
int FindNext(TSearchRec& record);
void FindClose(TSearchRec& record);

// ---- The program ------------------------------------------------------------------------

// The program file's full path (index 0), or argument `index` of the process's command
// line as Win32 programs split it (blanks separate, double quotes group, backslashes
// escape a double quote); empty past the last.
QString ParamStr(int index);
// The number of arguments after the program.
int ParamCount();

// Shows the message in a box with an OK button, captioned with the program's name;
// without a display it goes to standard error.
void ShowMessage(const QString& message);

// ---- Unit initialisation ----------------------------------------------------------------

// The initialisation and finalisation of the program's units (singletons, shared
// objects), run from main in one place instead of from static constructors and
// destructors. Declare it after the Qt application so that it finalises before the
// application goes.
class UnitRegistry {
public:
    using Step = std::function<void()>;

    UnitRegistry() = default;
    UnitRegistry(const UnitRegistry&) = delete;
    UnitRegistry& operator=(const UnitRegistry&) = delete;
    // Finalises what is still initialised.
    ~UnitRegistry();

    // Adds a unit; either step may be empty.
    void Add(const char* name, Step initialization, Step finalization);
    // Initialises the units in the order they were added. When one raises, those
    // initialised before it are finalised (in reverse) and the exception goes on.
    void InitializeAll();
    // Finalises the initialised units in reverse order; a unit whose finalisation
    // raises is reported on standard error and the others still run. Runs once.
    void FinalizeAll() noexcept;

private:
    struct Unit {
        const char* name;
        Step initialization;
        Step finalization;
    };
    std::vector<Unit> m_units;
    size_t m_initialized = 0;
};

}

#endif
