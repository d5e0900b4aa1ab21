// String engine: UTF-16 runtime strings, the one temporary buffer in which string
// expressions are assembled, the string functions, conversions, and the memory
// wrappers every runtime library allocates through.
//
// A runtime string is a zero-terminated sequence of char16_t units; a null pointer is
// the empty string. A string variable is a char16_t* that owns its heap block and is
// changed only through StringAssign, TempStore, StringDuplicate and StringFree.
#pragma once

#include <cstddef>
#include <cstdint>

// --- Start and end commands -----------------------------------------------------------

// Sets the process locale for all categories from the environment.
void InitStringLocale();
// Creates the temporary buffer: capacity 16 bytes, write offset 0.
void InitStringBuffer();
// Releases the temporary buffer (last shutdown step).
void EndStrings();

// --- Temporary buffer -------------------------------------------------------------------

// Start of the buffer; moves when the buffer grows, so positions are byte offsets.
extern char* TempBase;
// End of the text under construction, in bytes from TempBase; a 0 unit lies there.
extern int64_t TempOffset;
// Usable size in bytes; the allocation is TempCapacity + 10 bytes.
extern int64_t TempCapacity;

// Reserves n units at byte position p (growing the buffer when needed) and returns
// TempBase + p; TempOffset becomes p + 2n.
char16_t* TempReserve(int32_t n, int64_t p);
// Appends s (which must not lie inside the buffer) at TempOffset. Null appends nothing.
void TempAppend(const char16_t* s);
// Stores the text from byte position start to TempOffset into *variable and resets
// TempOffset to start. The variable is never null afterwards.
void TempStore(char16_t** variable, int64_t start);
// TempOffset := p with a 0 unit there; returns TempBase.
char16_t* TempEmptyResult(int64_t p);
// TempOffset := TempOffset - 2n.
void TempGiveBack(int32_t n);
// Byte offset + 1 of an address inside the buffer, 0 for any address outside it.
int64_t TempToken(const void* address);
// The address of a token after a possible growth; null for token 0.
char16_t* TempAddress(int64_t token);

// Follows the expression protocol for C++ callers: remembers TempOffset on construction
// and restores it on destruction, so an expression can never leak buffer space.
class TempExpression {
public:
    TempExpression() : start_(TempOffset) {}
    ~TempExpression() { TempOffset = start_; }
    TempExpression(const TempExpression&) = delete;
    TempExpression& operator=(const TempExpression&) = delete;

    int64_t Start() const { return start_; }
    // The text built so far (valid until the buffer grows).
    const char16_t* Text() const { return reinterpret_cast<const char16_t*>(TempBase + start_); }
    // Stores the text into a string variable; TempOffset returns to the start.
    void StoreInto(char16_t** variable) { TempStore(variable, start_); }

private:
    int64_t start_;
};

// --- String variables and comparisons -------------------------------------------------------

void StringAssign(char16_t** variable, const char16_t* s);
void StringDuplicate(char16_t** slot, const char16_t* s);
void StringFree(char16_t* s);
int64_t StringLength(const char16_t* s);
int StringEqual(const char16_t* a, const char16_t* b);
int StringCompare(const char16_t* a, const char16_t* b);
int StringCompareNoCase(const char16_t* a, const char16_t* b);
char16_t* StringCopy(char16_t* dest, const char16_t* src);
char16_t* StringCopyN(char16_t* dest, const char16_t* src, int64_t n);

// A string variable freed at the end of its scope, for C++ callers: results of the
// temporary buffer are copied out at once, since the next string function reuses that
// space.
class LocalString {
public:
    LocalString() = default;
    ~LocalString() { StringFree(text_); }
    LocalString(const LocalString&) = delete;
    LocalString& operator=(const LocalString&) = delete;
    void operator=(const char16_t* s) { StringAssign(&text_, s); }
    const char16_t* get() const { return text_; }
    bool empty() const { return StringLength(text_) == 0; }
    char16_t** variable() { return &text_; }

private:
    char16_t* text_ = nullptr;
};

// --- String functions ---------------------------------------------------------------------
// Each writes its result at byte position p of the buffer (normally TempOffset), leaves
// TempOffset right behind it (a 0 unit follows) and returns the result's address.

char16_t* LCase(const char16_t* s, int64_t p);
char16_t* UCase(const char16_t* s, int64_t p);
char16_t* Str(int64_t value, int64_t p);
char16_t* RSet(const char16_t* s, int32_t length, const char16_t* pad, int64_t p);

// --- Conversions ----------------------------------------------------------------------------

constexpr int CodePage8Bit = 0;
constexpr int CodePageUtf8 = 65001;

// New zero-terminated UTF-8 copy owned by the caller (never null); free with FreeUtf8.
char* ToUtf8(const char16_t* s);
void FreeUtf8(char* s);
// Converts UTF-8 to a runtime string at byte position p of the temporary buffer.
char16_t* Utf8ToTemp(const char* utf8, int64_t p);
// New UTF-16 copy of a UTF-8 string owned by the caller; free with MemFree.
char16_t* Utf8ToNew(const char* utf8);

// length: units, or -1 for the whole string with its terminator. Without an output
// buffer the result is the byte count needed, otherwise the bytes written.
int64_t WideToMultiByte(int codePage, const char16_t* in, int64_t length, char* out,
                        int64_t outSize);
// length: bytes, or -1 for the whole string with its terminator. Without an output
// buffer the result is the unit count needed, otherwise the units written.
int64_t MultiByteToWide(int codePage, const char* in, int64_t length, char16_t* out,
                        int64_t outUnits);

// Conversions to and from the platform's strings (Qt glue only) are in strings_qt.h.

// --- Memory wrappers (null on failure) ----------------------------------------------------

void* MemAllocZeroed(int64_t size);
void* MemAlloc(int64_t size);
void* MemReallocZeroFill(void* block, int64_t oldSize, int64_t newSize);
void MemFree(void* block);

// Sized blocks carry their usable size in the 8 bytes before the returned address.
void* SizedAllocZeroed(int64_t size);
void* SizedAlloc(int64_t size);
void* SizedResize(void* block, int64_t newSize);
void* SizedResizeNoFill(void* block, int64_t newSize);
void SizedFree(void* block);
int64_t SizedSize(const void* block);
