#pragma once

#include "ui/epiStream.h"

// A sequence of atoms over a stream: each a 12-byte header (tag, payload size, reserved word)
// and its payload. The file starts with the header atom ('atms', size 0, version 1). Integers
// are written in this machine's byte order; a file of the other order is recognised by its
// byte-swapped first tag and read with every tag and size swapped. Every size is checked against
// the bytes the stream holds before it is used.
class epiAtomsFile : public epiObject
{
public:
    static constexpr uint32_t kHeaderSize = 12;

    // Works over a stream owned by the caller, positioned where the atoms start.
    explicit epiAtomsFile(epiStream* stream = nullptr) : m_stream(stream) {}
    void setStream(epiStream* stream) { m_stream = stream; }
    epiStream* stream() const { return m_stream; }

    // Reads and checks the header atom. False for any other first tag, a header size other
    // than 0 or a version other than 1.
    bool openExisting();
    // Writes the header atom. With `swapped` the file is written in the other byte order.
    bool createNew(bool swapped = false);
    bool isSwapped() const { return m_swapped; }
    void setZeroOnMiss(bool zero) { m_zeroOnMiss = zero; }

    // Reads a typed atom into a buffer of `length` bytes: a shorter payload is zero-filled, a
    // longer one is cut and the rest skipped. On a tag mismatch the position goes back to the
    // header and the buffer is zeroed (zero-on-miss); false.
    bool readAtom(epiCode tag, void* buffer, uint32_t length);
    // True when the next atom has this tag; gives its payload size. The position never moves.
    bool peekAtom(epiCode tag, uint32_t* size = nullptr);
    // When the next atom has this tag and its payload lies within the file: gives the payload's
    // offset and size and moves past it. Otherwise the position goes back; false.
    bool locateAtom(epiCode tag, uint64_t* offset, uint32_t* size);
    bool writeAtom(epiCode tag, const void* payload, uint32_t size);
    // A 32-bit value as a payload, in the file's byte order.
    bool readValue(epiCode tag, uint32_t& value);
    bool writeValue(epiCode tag, uint32_t value);

private:
    bool readHeader(epiCode& tag, uint32_t& size, uint32_t& reserved);
    uint32_t fix(uint32_t value) const { return m_swapped ? __builtin_bswap32(value) : value; }

    epiStream* m_stream = nullptr;
    bool m_swapped = false;
    bool m_zeroOnMiss = true;
};
