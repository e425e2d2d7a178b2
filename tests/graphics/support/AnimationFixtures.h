// Animation descriptions the tests write themselves: the binary form built
// field by field (so any count or length can be made to lie), and a sheet
// picture whose frames are solid colours.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace animfx
{

struct Anchor
{
    int x = 0, y = 0;
    std::string name;
};

struct Frame
{
    int regX = 0, regY = 0, x = 0, y = 0, w = 0, h = 0;
    float alpha = 1.0f;  // written from version 2 on
    float xform[6] = {-10000000.0f, 0, 0, 0, 0, 0};
    std::string name;
    std::vector<Anchor> anchors;
};

struct Anm
{
    int version = 2;
    std::string sequence = "seq", source = "src";
    int imgRegX = 0, imgRegY = 0, imgW = 0, imgH = 0;
    std::string image = "sheet.png", mask;
    std::vector<Frame> frames;
    bool withScript = false;
    std::string script;
};

// Little-endian writer pieces.
void PutInt(std::string& out, int32_t v);
void PutFloat(std::string& out, float v);
void PutString(std::string& out, const std::string& s);
std::string Encode(const Anm& anm);

// ARGB pixels of a width x height sheet cut into count frames side by side,
// frame i filled with colours[i].
std::vector<uint32_t> Strip(int frameW, int frameH, const std::vector<uint32_t>& colours);

}  // namespace animfx
