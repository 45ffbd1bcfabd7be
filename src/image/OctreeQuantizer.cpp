#include "image/OctreeQuantizer.h"

#include "image/Bmp.h"

#include <cstdint>

namespace {

constexpr int kMaxColors = 256;
constexpr int kLeafLevelStart = 6;

struct Node {
    int Level = 0;
    bool IsLeaf = false;
    int PaletteIndex = 0;
    uint64_t PixelCount = 0;
    uint64_t RedSum = 0;
    uint64_t GreenSum = 0;
    uint64_t BlueSum = 0;
    Node* Children[8] = {};
    Node* NextReducible = nullptr;
};

inline int ChildIndex(uint32_t pixel, int level)
{
    const int shift = 6 - level;
    const int r = (pixel >> (16 + shift)) & 1;
    const int g = (pixel >> (8 + shift)) & 1;
    const int b = (pixel >> shift) & 1;
    return (r << 2) | (g << 1) | b;
}

class Octree {
public:
    Octree() { m_Root = NewNode(0); }
    ~Octree() { DeleteTree(m_Root); }
    Octree(const Octree&) = delete;
    Octree& operator=(const Octree&) = delete;

    void Insert(uint32_t pixel)
    {
        Node* node = m_Root;
        while (!node->IsLeaf) {
            Node*& child = node->Children[ChildIndex(pixel, node->Level)];
            if (!child)
                child = NewNode(node->Level + 1);
            node = child;
        }
        node->PixelCount += 1;
        node->RedSum += (pixel >> 16) & 0xFF;
        node->GreenSum += (pixel >> 8) & 0xFF;
        node->BlueSum += pixel & 0xFF;
        while (m_LeafCount > kMaxColors)
            Reduce();
    }

    // Assigns palette indices depth-first, children in index order.
    int BuildPalette(PaletteEntry* palette) const
    {
        int next = 0;
        AssignPalette(m_Root, palette, next);
        return next;
    }

    int Lookup(uint32_t pixel) const
    {
        const Node* node = m_Root;
        while (!node->IsLeaf) {
            const Node* child = node->Children[ChildIndex(pixel, node->Level)];
            if (!child)
                break; // every inserted colour has a path; unknown colours stop here
            node = child;
        }
        return node->PaletteIndex;
    }

private:
    Node* NewNode(int level)
    {
        Node* node = new Node;
        node->Level = level;
        if (level == m_LeafLevel) {
            node->IsLeaf = true;
            ++m_LeafCount;
        } else {
            node->NextReducible = m_Reducible[level];
            m_Reducible[level] = node;
        }
        return node;
    }

    void Reduce()
    {
        while (m_LeafLevel > 1 && !m_Reducible[m_LeafLevel - 1])
            --m_LeafLevel;
        Node* node = m_Reducible[m_LeafLevel - 1];
        if (!node)
            return;
        m_Reducible[m_LeafLevel - 1] = node->NextReducible;
        int merged = 0;
        for (Node*& child : node->Children) {
            if (!child)
                continue;
            node->PixelCount += child->PixelCount;
            node->RedSum += child->RedSum;
            node->GreenSum += child->GreenSum;
            node->BlueSum += child->BlueSum;
            DeleteTree(child);
            child = nullptr;
            ++merged;
        }
        node->IsLeaf = true;
        m_LeafCount = m_LeafCount - merged + 1;
    }

    static void DeleteTree(Node* node)
    {
        if (!node)
            return;
        for (Node* child : node->Children)
            DeleteTree(child);
        delete node;
    }

    static void AssignPalette(Node* node, PaletteEntry* palette, int& next)
    {
        if (node->IsLeaf) {
            if (next >= kMaxColors)
                return;
            node->PaletteIndex = next;
            const uint64_t n = node->PixelCount ? node->PixelCount : 1;
            palette[next] = PaletteEntry{uint8_t(node->BlueSum / n), uint8_t(node->GreenSum / n),
                                         uint8_t(node->RedSum / n), 255};
            ++next;
            return;
        }
        for (Node* child : node->Children)
            if (child)
                AssignPalette(child, palette, next);
    }

    Node* m_Root = nullptr;
    Node* m_Reducible[kLeafLevelStart] = {};
    int m_LeafCount = 0;
    int m_LeafLevel = kLeafLevelStart;
};

} // namespace

void OctreeQuantizer(const CBmp& source, CBmp& target)
{
    Octree tree;
    for (int y = 0; y < source.Height; ++y) {
        const uint32_t* row = source.Row32(y);
        for (int x = 0; x < source.Width; ++x)
            tree.Insert(row[x]);
    }
    tree.BuildPalette(target.Palette);
    for (int y = 0; y < source.Height; ++y) {
        const uint32_t* src = source.Row32(y);
        uint8_t* dst = target.Lines[y];
        uint32_t lastPixel = 0;
        int lastIndex = -1;
        for (int x = 0; x < source.Width; ++x) {
            const uint32_t p = src[x] & 0x00FFFFFF;
            if (p != lastPixel || lastIndex < 0) {
                lastPixel = p;
                lastIndex = tree.Lookup(p);
            }
            dst[x] = static_cast<uint8_t>(lastIndex);
        }
    }
}
