// The animated screens: the files decode, hold one frame per redraw of the
// screen's size with the delays the speed asks for, loop, and show the page's
// pixels (exactly when the frame has at most 256 colours; the page's own
// colours exactly always). Linux only: the tests of the Windows build run
// under Wine, whose GIF encoder writes no delays, and there --gif is refused
// (gif_windows_test.cpp).
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "platform/picture.h"
#include "sim/outputs/gif_output.h"
#include "sim/outputs/gif_palette.h"
#include "sim_run.h"
#include "support/world_fixture.h"

namespace {

struct Decoded {
  int width = 0, height = 0;
  bool loops = false;
  std::vector<int> delays;                    // [1/100 s]
  std::vector<std::vector<uint32_t>> frames;  // 0x00RRGGBB per pixel, as shown
  size_t partial = 0;                         // images smaller than the screen
};

// Reads a GIF with giflib's own decoder and composes its frames as a player
// shows them: each image drawn over the frame before it (disposal "do not
// dispose"), the first over black.
Decoded decode(const std::string& path) {
  Decoded d;
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  EXPECT_NE(gif, nullptr) << GifErrorString(error);
  if (!gif) return d;
  EXPECT_EQ(DGifSlurp(gif), GIF_OK) << GifErrorString(gif->Error);
  d.width = gif->SWidth;
  d.height = gif->SHeight;
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    for (int e = 0; e < image.ExtensionBlockCount; ++e) {
      const ExtensionBlock& b = image.ExtensionBlocks[e];
      if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
          std::string(reinterpret_cast<char*>(b.Bytes), 11) == "NETSCAPE2.0")
        d.loops = true;
    }
    GraphicsControlBlock control{};
    EXPECT_EQ(DGifSavedExtensionToGCB(gif, i, &control), GIF_OK) << i;
    d.delays.push_back(control.DelayTime);
    const ColorMapObject* map =
        image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    EXPECT_NE(map, nullptr);
    EXPECT_EQ(control.DisposalMode, DISPOSE_DO_NOT) << i;
    EXPECT_EQ(control.TransparentColor, NO_TRANSPARENT_COLOR) << i;
    const GifImageDesc& at = image.ImageDesc;
    EXPECT_TRUE(at.Left >= 0 && at.Top >= 0 && at.Width > 0 && at.Height > 0 &&
                at.Left + at.Width <= d.width && at.Top + at.Height <= d.height)
        << i;
    d.partial += at.Width < d.width || at.Height < d.height;
    std::vector<uint32_t> pixels =
        d.frames.empty() ? std::vector<uint32_t>(size_t(d.width) * d.height, 0) : d.frames.back();
    for (int y = 0; y < at.Height; ++y)
      for (int x = 0; x < at.Width; ++x) {
        const GifColorType c = map->Colors[image.RasterBits[y * at.Width + x]];
        pixels[size_t(at.Top + y) * d.width + at.Left + x] =
            uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | c.Blue;
      }
    d.frames.push_back(std::move(pixels));
  }
  DGifCloseFile(gif, &error);
  return d;
}

// The colour each pixel of p is shown in, with the palette of the whole picture.
std::vector<uint32_t> shownColours(const render::Picture& p, const std::vector<uint32_t>& keep,
                                   std::vector<uint32_t>* palette = nullptr) {
  std::map<uint32_t, size_t> counted;
  for (uint32_t c : p.pixels) ++counted[c];
  std::vector<uint32_t> colours;
  std::vector<size_t> counts;
  // In an order of their own (descending), as the palette must not depend on it.
  for (auto c = counted.rbegin(); c != counted.rend(); ++c) {
    colours.push_back(c->first);
    counts.push_back(c->second);
  }
  const sim::Palette chosen = sim::choosePalette(colours, counts, keep);
  if (palette) *palette = chosen.colours;
  std::map<uint32_t, uint32_t> shown;
  for (size_t i = 0; i < colours.size(); ++i)
    shown[colours[i]] = chosen.colours.at(chosen.indexOf.at(i));
  std::vector<uint32_t> out;
  for (uint32_t c : p.pixels) out.push_back(shown[c]);
  return out;
}

int distanceSquared(uint32_t a, uint32_t b) {
  const int dr = int(a >> 16) - int(b >> 16), dg = int(a >> 8 & 0xff) - int(b >> 8 & 0xff),
            db = int(a & 0xff) - int(b & 0xff);
  return dr * dr + dg * dg + db * db;
}

TEST(GifPalette, KeepsThePagesColoursThenTheFrequentOnesThenTheNearest) {
  render::Picture p;
  // 200 shades three times each, 100 others once each (300 colours), then the
  // page's own colours once each: they are not frequent, only kept.
  for (int repeat = 0; repeat < 3; ++repeat)
    for (uint32_t i = 0; i < 200; ++i) p.pixels.push_back(0x001000 + i * 0x000101);
  for (uint32_t i = 0; i < 100; ++i) p.pixels.push_back(0x800000 + i * 0x020000 / 2 + 7);
  const std::vector<uint32_t> page = {0x000000, 0x00ff00, 0xffffff, 0xc0c0c0, 0xff0000, 0x00ffff};
  for (uint32_t c : page) p.pixels.push_back(c);
  p.width = uint32_t(p.pixels.size());
  p.height = 1;
  std::vector<uint32_t> palette;
  const std::vector<uint32_t> shownPixels = shownColours(p, page, &palette);
  ASSERT_EQ(palette.size(), 256u);
  for (size_t i = 0; i < p.pixels.size(); ++i) {
    const uint32_t shown = shownPixels[i], wanted = p.pixels[i];
    if (i >= 700) {
      EXPECT_EQ(shown, wanted) << "a page colour, " << i;
    }
    // Every colour is exact or the nearest the palette has, and close: the
    // shades are spread over their ramps.
    for (uint32_t c : palette)
      EXPECT_LE(distanceSquared(shown, wanted), distanceSquared(c, wanted)) << i;
    EXPECT_LE(distanceSquared(shown, wanted), 2) << i;
  }
}

TEST(GifPalette, AFewColoursAreKeptExactlyInAPowerOfTwoTable) {
  render::Picture p;
  p.width = 3;
  p.height = 1;
  p.pixels = {0x123456, 0x000000, 0x123456};
  std::vector<uint32_t> palette;
  EXPECT_EQ(shownColours(p, {}, &palette), p.pixels);
  EXPECT_EQ(palette.size(), 2u);
}

// The palette as first specified: every colour's count, then (over 256) the
// kept colours and, one at a time, the colour of the largest distance to the
// palette times count, the first in value order among equals; every other
// colour shown as the first nearest palette colour. Straightforward and slow.
std::vector<uint32_t> straightforwardPalette(const render::Picture& p,
                                             const std::vector<uint32_t>& keep,
                                             std::vector<uint32_t>& shown) {
  std::map<uint32_t, size_t> counts;
  for (uint32_t c : p.pixels) ++counts[c];
  std::vector<uint32_t> palette;
  auto take = [&](uint32_t c) {
    if (palette.size() < 256 && std::find(palette.begin(), palette.end(), c) == palette.end())
      palette.push_back(c);
  };
  if (counts.size() <= 256) {
    for (const auto& [c, n] : counts) take(c);
  } else {
    for (uint32_t c : keep) take(c);
    std::vector<std::pair<uint32_t, int>> gaps;  // colour, distance to the palette
    for (const auto& [c, n] : counts) {
      int gap = 3 * 255 * 255 + 1;
      for (uint32_t q : palette) gap = std::min(gap, distanceSquared(c, q));
      gaps.emplace_back(c, gap);
    }
    while (palette.size() < 256) {
      double worst = 0.0;
      uint32_t worstColour = 0;
      for (const auto& [c, gap] : gaps)
        if (double(gap) * double(counts[c]) > worst) {
          worst = double(gap) * double(counts[c]);
          worstColour = c;
        }
      if (worst == 0.0) break;
      take(worstColour);
      for (auto& [c, gap] : gaps) gap = std::min(gap, distanceSquared(c, worstColour));
    }
  }
  shown.clear();
  for (uint32_t c : p.pixels) {
    size_t best = 0;
    for (size_t i = 1; i < palette.size(); ++i)
      if (distanceSquared(palette[i], c) < distanceSquared(palette[best], c)) best = i;
    shown.push_back(palette[best]);
  }
  return palette;
}

// A series of pictures (a few colours, thousands of shades with and without
// kept colours, equal weights): each gets the palette and the pixels of the
// straightforward selection.
TEST(GifPalette, EveryPictureOfASeriesGetsTheStraightforwardPalette) {
  std::mt19937 random(11);
  auto shades = [&](int colours, int pixels) {
    render::Picture p;
    std::uniform_int_distribution<int> pick(0, colours - 1);
    for (int i = 0; i < pixels; ++i) {
      const uint32_t k = uint32_t(pick(random));
      p.pixels.push_back((k * 2654435761u) & 0xffffff);
    }
    p.width = uint32_t(p.pixels.size());
    p.height = 1;
    return p;
  };
  render::Picture even;  // 400 colours once each: equal counts, ties in weight
  for (uint32_t i = 0; i < 400; ++i) even.pixels.push_back(i * 0x010101 / 2);
  even.width = 400;
  even.height = 1;
  const render::Picture few = shades(7, 500), many = shades(2000, 8000);
  const std::vector<uint32_t> page = {0x000000, 0x00ff00, 0xffffff};
  const struct {
    const render::Picture* picture;
    std::vector<uint32_t> keep;
  } series[] = {{&few, {}}, {&many, page}, {&even, {}}, {&many, {}}, {&few, page}, {&many, page}};
  for (size_t k = 0; k < std::size(series); ++k) {
    const render::Picture& p = *series[k].picture;
    std::vector<uint32_t> shown;
    const std::vector<uint32_t> palette = straightforwardPalette(p, series[k].keep, shown);
    std::vector<uint32_t> chosen;
    const std::vector<uint32_t> got = shownColours(p, series[k].keep, &chosen);
    ASSERT_GE(chosen.size(), palette.size()) << k;
    EXPECT_TRUE(std::equal(palette.begin(), palette.end(), chosen.begin())) << k;
    for (size_t i = 0; i < p.pixels.size(); ++i)
      ASSERT_EQ(got[i], shown[i]) << "picture " << k << " pixel " << i;
  }
}

class LoadedGif : public gyrelle_test::WorldFixture {
 protected:
  void TearDown() override {
    if (!dir.empty()) std::filesystem::remove_all(dir);
    WorldFixture::TearDown();
  }
  std::string dir;
};

// Every frame as a player shows it (each image drawn over the last) is the
// page as rendered in the colours of its whole picture's palette, whether the
// page changed a little (an image of the changed rectangle), not at all, or
// all over with other colours (a help page), and when a second redraw at the
// same time takes the place of a frame the file has not shown yet.
TEST_F(LoadedGif, FramesAreThePagesAsRendered) {
  dir = simtest::makeTempFolder("gif-");
  ASSERT_FALSE(dir.empty());
  const size_t screen = loadModuleWithScreen(300, 300);
  world->vessel(vessel)->angVel = VECTOR3{0.02, -0.03, 0.01};
  std::vector<std::vector<uint32_t>> expected;  // each frame's pixels as shown
  std::map<uint32_t, int> colours;              // [pixels] of each colour, all frames
  auto expect = [&](const halcyra::Screen& s) {
    const render::Picture p = render::renderDrawing(s.lastDrawing, s.width, s.height);
    for (uint32_t c : p.pixels) ++colours[c];
    return shownColours(p, sim::drawingColours(s.lastDrawing));
  };
  {
    sim::GifOutput gif(dir, 4.0, 0.0, 1.0, *world);
    for (int k = 0; k <= 6; ++k) {
      const double t = k * 0.5;                 // [s]
      for (int i = 0; k != 2 && i < 25; ++i) {  // k = 2: the same drawing again
        world->step(0.02);
        loader->postStep(t + i * 0.02, 0.02, 0.0);
      }
      if (k == 4) {
        ASSERT_TRUE(world->pressKey(screen, 82));  // a help page, other colours
      }
      world->redraw(screen);
      gif.redrawn(sim::Redraw(t, screen, world->screen(screen)));
      expected.push_back(expect(world->screen(screen)));
    }
    // A second redraw at the same time, of the help page's next page,
    // replaces the frame.
    ASSERT_TRUE(world->pressKey(screen, 57));
    world->redraw(screen);
    gif.redrawn(sim::Redraw(3.0, screen, world->screen(screen)));
    expected.back() = expect(world->screen(screen));
    ASSERT_NE(expected.back(), expected[5]);
    gif.finished(3.0, *world);
  }
  const Decoded d = decode(dir + "/screen0.gif");
  EXPECT_EQ(d.width, 300);
  EXPECT_EQ(d.height, 300);
  EXPECT_TRUE(d.loops);
  ASSERT_EQ(d.frames.size(), 7u);
  // 0.5 s at 4 times real time: 12.5 hundredths, rounded on the running total.
  EXPECT_EQ(d.delays, (std::vector<int>{13, 12, 13, 12, 13, 12, 25}));
  for (size_t f = 0; f < d.frames.size(); ++f)
    EXPECT_TRUE(d.frames[f] == expected[f]) << "frame " << f;
  EXPECT_GT(d.partial, 0u);  // images of the changed rectangle only
  // The page's own colours are there (title grey, green, white), not only
  // shades of them.
  for (uint32_t c : {0xc0c0c0u, 0x00ff00u, 0xffffffu}) EXPECT_GT(colours[c], 0) << c;
}

// Cairo's and fontconfig's caches, filled by the frames rendered here, freed
// at the end so that leak checkers see only our own allocations.
class FontCaches : public ::testing::Environment {
 public:
  void TearDown() override { render::releaseFontCaches(); }
};
const auto* const kFontCaches = ::testing::AddGlobalTestEnvironment(new FontCaches);

class GifRun : public simtest::SimRun {};

TEST_F(GifRun, OneFramePerRedrawPerScreenAtTheAskedSpeed) {
  std::string text = std::string(simtest::kTwoVessels) +
                     "[[screen]]\nmode = \"Gyrelle\"\n[[screen]]\nwidth = 128\nheight = 140\n"
                     "[[event]]\nt = 1.25\nkey = \"H\"\n";
  text.replace(text.find("redraw = 100.0"), 14, "redraw = 1.0");
  const simtest::RunResult r =
      run({writeScenario("g.toml", text), "--gif", path("gifs"), "--gif-speed", "2", "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Decoded first = decode(path("gifs/screen0.gif"));
  // Redraws at 0, 1, 1.25 (the key), 2, 3, 4, 5.
  EXPECT_EQ(first.delays, (std::vector<int>{50, 13, 37, 50, 50, 50, 50}));
  EXPECT_EQ(first.width, 256);
  const Decoded second = decode(path("gifs/screen1.gif"));
  EXPECT_EQ(second.width, 128);
  EXPECT_EQ(second.height, 140);
  EXPECT_EQ(second.frames.size(), 6u);  // the key touched screen 0 only
  EXPECT_TRUE(second.loops);

  // With --frame-every the frames come at that interval and at the end.
  ASSERT_EQ(
      run({writeScenario("g.toml", text), "--gif", path("every"), "--frame-every", "2", "--quiet"})
          .status,
      0);
  EXPECT_EQ(decode(path("every/screen0.gif")).delays, (std::vector<int>{20, 20, 10, 20}));
}

TEST_F(GifRun, ASpeedThatIsNotPositiveIsACommandLineError) {
  const simtest::RunResult r = run({"--gif", path("g"), "--gif-speed", "0"});
  EXPECT_EQ(r.status, 2);
  EXPECT_FALSE(std::filesystem::exists(path("g")));
}

}  // namespace
