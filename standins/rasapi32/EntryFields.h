#pragma once
// The fields of a phonebook entry record, in record order, with where each one
// lies: the service logs, stores and reads back every field that the caller's
// version of the record (its dwSize) contains.
#include <windows.h>
#include <ras.h>
#include <string>

enum class FieldKind { Number, Text, IpAddress, Guid };

struct EntryField {
    const char* name;
    size_t offset;
    size_t size;
    FieldKind kind;
};

extern const EntryField kEntryFields[];
extern const size_t kEntryFieldCount;

// The versions of the record that RAS has published, by size.
bool IsEntryVersion(DWORD size);

bool FieldFits(const EntryField& field, DWORD recordSize);
std::string FieldValue(const BYTE* record, const EntryField& field);
// A text field holds no NUL within its size.
bool FieldUnterminated(const BYTE* record, const EntryField& field);
void SetFieldValue(BYTE* record, const EntryField& field, const std::string& value);
