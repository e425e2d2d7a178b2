// The XML tree TXmlNode with its forgiving token reader, the character
// sources it reads from, the ZXML container and the writer.
// The reader never fails: malformed input yields the tree built so far.
#pragma once

#include <cstddef>
#include <vector>

#include "core/String.h"

struct XmlAttribute
{
    TString name;
    TString value;
    bool quoted = false;  // written, or to be written, in double quotes
};

// Copy of the attribute's value.
TString XmlAttributeValue(const XmlAttribute& attribute);

// A byte source for the reader. GetChar yields the next byte or -1 at the
// end (always -1 once stop is set); UngetChar steps back one byte.
class TGetChar
{
public:
    virtual ~TGetChar() = default;
    virtual int UngetChar(int byte) = 0;
    virtual int GetChar() = 0;
    virtual void Rewind() = 0;

    // One UTF-8 character: the lead byte (or -1) and its whole group of 1 to
    // 4 bytes in group/groupLen, so the tokenizer never splits a character.
    int ReadUtf8Char(unsigned char group[4], int& groupLen);
    // Gives a group back, last byte first.
    void PushBack(const unsigned char group[4], int groupLen);

    bool stop = false;
    int nestingDepth = 0;
    int stopMode = 0;
    bool error = false;  // the input ended inside a tag or an open element
    bool topLevelClosed = false;
};

// Reads a memory block of known size.
class TGetCharString : public TGetChar
{
public:
    TGetCharString(const void* data, size_t size)
        : data_(static_cast<const unsigned char*>(data)), size_(size)
    {
    }
    int UngetChar(int byte) override;
    int GetChar() override;
    void Rewind() override { pos_ = 0; }

private:
    const unsigned char* data_;
    size_t pos_ = 0;
    size_t size_;
};

class TFileHandle;

// Reads a file opened by logical name for binary reading.
class TGetCharFile : public TGetChar
{
public:
    // IsOpen() tells whether the file could be opened.
    explicit TGetCharFile(const TString& fileName);
    ~TGetCharFile() override;
    int UngetChar(int byte) override;
    int GetChar() override;
    void Rewind() override;
    // Closes and opens the named file again; false when it cannot be opened.
    virtual bool Reopen();
    bool IsOpen() const { return file_ != nullptr; }
    TFileHandle* Handle() const { return file_; }

private:
    TString fileName_;
    TFileHandle* file_ = nullptr;
};

class TXmlNode
{
public:
    TXmlNode();
    explicit TXmlNode(const char* name);
    virtual ~TXmlNode();
    TXmlNode(const TXmlNode&) = delete;
    TXmlNode& operator=(const TXmlNode&) = delete;

    // Appends a new child with that name and returns it (never null).
    virtual TXmlNode* AddChild(const TString& name);
    // Called when the reader meets the end of an element; nothing here.
    virtual void OnElementClosed(const TString& closingToken);
    // Appends the token's len bytes, after one space when text exists.
    virtual void AppendText(const TString& token, int len);
    // Appends an attribute record (no search for an existing one).
    virtual void AddAttribute(const TString& name, const TString& value, bool quoted);

    // Parses the file (plain or ZXML) into this node as the document root.
    // Returns false, reading nothing, when the file cannot be opened; a
    // damaged file still returns true with whatever tree was read. When
    // whole is given it tells whether the document was read to its proper
    // end (see Parse).
    bool LoadFile(const char* fileName, bool* whole = nullptr);
    // Parses a NUL-terminated text. ZXML containers hold NUL bytes: pass
    // them through the sized form.
    bool Parse(const char* buffer);
    // Parses size bytes; a block beginning with "ZXML" is a ZXML container.
    // The tree read is kept either way; returns false when the document was
    // damaged: input ending inside a tag or inside an open element, nesting
    // beyond kMaxDepth, or a ZXML container that could not be inflated.
    bool Parse(const void* data, size_t size);
    // Inflates a ZXML container of size bytes and parses its text. A header
    // shorter than 12 bytes, a compressed length beyond the data, a declared
    // text above kMaxZxmlText or a failed inflation parse as an empty
    // document (logged). Returns false in those cases, and when the
    // inflated text is damaged as Parse tells.
    bool ParseZxml(const void* container, size_t size);

    // First child named exactly name (bytewise), or null.
    TXmlNode* FindChild(const char* name) const;
    bool HasChildren() const { return !children_.empty(); }
    const std::vector<TXmlNode*>& Children() const { return children_; }
    void ResetChildIterator() { childWalk_ = 0; }
    // The next child and its name; false at the end.
    bool NextChild(TString& name, TXmlNode*& node);

    // Value of the first attribute named exactly name; empty when missing
    // (quoted is then left untouched).
    TString GetAttribute(const char* name, bool* quoted = nullptr) const;
    // Replaces the first attribute of that name, else appends one; either
    // way it becomes quoted.
    void SetAttribute(const TString& name, const TString& value);
    const std::vector<XmlAttribute*>& Attributes() const { return attributes_; }
    void ResetAttributeIterator() { attributeWalk_ = 0; }
    bool NextAttribute(TString& name, TString& value);

    // The serialised subtree.
    TString ToString();
    // Writes the subtree into out at position (advanced) with indent spaces.
    void Write(TString& out, int& position, int indent) const;

    TString text;
    int textLength = 0;
    int sizeHint = 4096;
    TString name;

    // Deeper elements end the reading (the tree read so far is kept), so a
    // hostile document cannot exhaust the stack.
    static constexpr int kMaxDepth = 256;
    // Largest inflated ZXML text accepted.
    static constexpr size_t kMaxZxmlText = 64u << 20;

private:
    TXmlNode* ReadElement(TGetChar& src, bool& endTag);
    void ReadContent(TGetChar& src);

    std::vector<TXmlNode*> children_;
    size_t childWalk_ = 0;
    std::vector<XmlAttribute*> attributes_;
    size_t attributeWalk_ = 0;
};

// Escaped copy: bytes below 32 and from 0x80 up become "&#<byte>;", the five
// markup characters their named entities.
TString EscapeXml(const char* text);

// Decodes references in place over token[0..len) and updates len (never
// grows). "&#<decimal>;" and "&#x<hex>;" give one byte (the low 8 bits),
// the five named entities their characters; anything else stays.
// beganWithEntity tells whether the first character came from a reference.
void DecodeXmlEntities(char* token, int& len, bool& beganWithEntity);

// Inflates a ZXML container of size bytes into text. False (logged, text
// empty) when the header is short or lies, or inflation fails.
bool InflateZxml(const void* container, size_t size, std::vector<unsigned char>& text);
