// Animation descriptions: the frames of a sprite sheet with their rectangles,
// registration points, transforms, alpha, names and anchors, plus the
// animation script, read from the XML form (".xml", ZXML accepted) or the
// little-endian binary form (".anm", versions 1 and 2).
//
// Failure: the readers return false. The XML reader logs "Animation %s does
// not contain ..." for a missing sequence, img or framelist node or for no
// frames (all but the first keep reading, so every missing part is logged);
// the binary reader logs nothing and fails on a wrong block tag or any count
// or length that is negative or runs past the bytes left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/String.h"

class TXmlNode;

struct TAnimationAnchor
{
    TString name;
    int32_t x = 0, y = 0;
};

struct TAnimationFrame
{
    // xform a of a frame without a transform.
    static constexpr float kNoTransform = -10000000.0f;

    TString name;
    int32_t x = 0, y = 0, w = 0, h = 0;
    int32_t regX = 0, regY = 0;
    std::vector<TAnimationAnchor> anchors;
    // The matrix with rows (a, b, 0), (c, d, 0), (e, f, 1).
    float xform[6] = {kNoTransform, 0, 0, 0, 0, 0};
    float alpha = 1.0f;

    bool HasTransform() const { return xform[0] != kNoTransform; }
};

struct TAnimationData
{
    TString sequenceName;
    TString source;  // kept, not interpreted
    TString imageName;
    TString maskName;
    TString script;
    int32_t maxWidth = 0, maxHeight = 0;
    int32_t imageRegX = 0, imageRegY = 0, imageWidth = 0, imageHeight = 0;
    std::vector<TAnimationFrame> frames;
};

// The script of a description without one: DoAnim with delay(60) and every
// frame number once ("frames{1,2,3};").
TString MakeDefaultAnimationScript(int frameCount);

// Reads a parsed XML document; logName names the file in the log lines.
bool ReadAnimationXml(const TXmlNode& document, const TString& logName, TAnimationData& out);
// Reads a binary description of size bytes.
bool ReadAnimationBinary(const void* bytes, size_t size, TAnimationData& out);

// Finds and reads the description of name: name itself, else name + ".xml",
// else name + ".anm"; a file name containing ".xml" (any case) is read as XML,
// one containing ".anm" as binary, any other fails. logName as above.
bool LoadAnimationFile(const TString& name, const TString& logName, TAnimationData& out);
