// Image decoding (PNG and JPEG only, converted to 8-bit RGB/RGBA, top row first), the image
// texture's GL state contract, and the texture manager's caching by name.
#include <gtest/gtest.h>

#include <cstdlib>

#include "gfx/image_files.h"
#include "gfx/texture.h"
#include "gfx/texture_manager.h"
#include "platform/system.h"
#include "support/test_support.h"

using namespace qorFramework;
using testsupport::DebugCapture;
using testsupport::ScratchDir;

namespace {

class ImageTest : public testsupport::GLTest {
 protected:
  ScratchDir scratch;
  std::vector<uint8_t> pixels;
  int32_t width = -1, height = -1, bpp = -1;

  bool load(const char* name) { return loadImage(name, pixels, &width, &height, &bpp); }
};

GLint boundTexture() {
  GLint name = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
  return name;
}

GLint activeUnit() {
  GLint unit = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
  return unit;
}

bool texture2DEnabledOn(GLenum unit) {
  GLint previous = activeUnit();
  glActiveTexture(unit);
  bool enabled = glIsEnabled(GL_TEXTURE_2D);
  glActiveTexture(previous);
  return enabled;
}

TEST_F(ImageTest, PngRgbaKeepsSizeBytesAndTopRowFirst) {
  // 256 x 128, red channel = row number: the first stored row is the picture's top.
  std::vector<uint8_t> rgba;
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 256; ++x)
      rgba.insert(rgba.end(), {uint8_t(y), uint8_t(x), 7, uint8_t(255 - y)});
  ASSERT_TRUE(testimages::writePng("a.png", 256, 128, 4, rgba));
  ASSERT_TRUE(load("a.png"));
  EXPECT_EQ(width, 256);
  EXPECT_EQ(height, 128);
  EXPECT_EQ(bpp, 4);
  ASSERT_EQ(pixels.size(), 131072u);
  EXPECT_EQ(pixels, rgba);
}

TEST_F(ImageTest, PngRgbAndJpegGiveThreeBytesPerPixel) {
  std::vector<uint8_t> rgb;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) {
      if (y < 4) rgb.insert(rgb.end(), {250, 10, 10});  // top half red
      else rgb.insert(rgb.end(), {10, 10, 250});        // bottom half blue
    }
  ASSERT_TRUE(testimages::writePng("rgb.png", 16, 8, 3, rgb));
  ASSERT_TRUE(load("rgb.png"));
  EXPECT_EQ(bpp, 3);
  EXPECT_EQ(pixels, rgb);

  ASSERT_TRUE(testimages::writeJpeg("photo.jpg", 16, 8, rgb));
  ASSERT_TRUE(load("photo.jpg"));
  EXPECT_EQ(width, 16);
  EXPECT_EQ(height, 8);
  EXPECT_EQ(bpp, 3);
  ASSERT_EQ(pixels.size(), 16u * 8u * 3u);
  // Lossy: compare a pixel from the middle of each half with a tolerance.
  const uint8_t* top = &pixels[(1 * 16 + 8) * 3];
  const uint8_t* bottom = &pixels[(6 * 16 + 8) * 3];
  EXPECT_NEAR(top[0], 250, 12);
  EXPECT_NEAR(top[2], 10, 12);
  EXPECT_NEAR(bottom[0], 10, 12);
  EXPECT_NEAR(bottom[2], 250, 12);
}

TEST_F(ImageTest, GreyPaletteAnd16BitImagesConvertTo8BitRgbOrRgba) {
  std::vector<uint8_t> grey = {0, 50, 100, 150, 200, 250};  // 3 x 2
  ASSERT_TRUE(testimages::writePng("grey.png", 3, 2, 1, grey));
  ASSERT_TRUE(load("grey.png"));
  EXPECT_EQ(bpp, 3);
  EXPECT_EQ(pixels, (std::vector<uint8_t>{0, 0, 0, 50, 50, 50, 100, 100, 100, 150, 150, 150,
                                          200, 200, 200, 250, 250, 250}));

  std::vector<uint8_t> greyAlpha = {10, 255, 20, 128};  // 2 x 1
  ASSERT_TRUE(testimages::writePng("ga.png", 2, 1, 2, greyAlpha));
  ASSERT_TRUE(load("ga.png"));
  EXPECT_EQ(bpp, 4);
  EXPECT_EQ(pixels, (std::vector<uint8_t>{10, 10, 10, 255, 20, 20, 20, 128}));

  // 2 x 1 with a palette of red and blue; 1 x 1 RGB of 16 bits a component (0x1234, 0x8000, 0xFFFF).
  testsupport::writeFile("palette.png", std::string(
      "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00"
      "\x00\x01\x08\x03\x00\x00\x00\xc3\xfc\x8f\xb8\x00\x00\x00\x06\x50\x4c\x54\x45\xff\x00\x00"
      "\x00\x00\xff\x6c\xa1\xfd\x8e\x00\x00\x00\x0b\x49\x44\x41\x54\x78\x9c\x63\x60\x60\x04\x00"
      "\x00\x04\x00\x02\xbf\x7a\x3f\x4a\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82", 86));
  ASSERT_TRUE(load("palette.png"));
  EXPECT_EQ(bpp, 3);
  EXPECT_EQ(pixels, (std::vector<uint8_t>{255, 0, 0, 0, 0, 255}));
  testsupport::writeFile("deep.png", std::string(
      "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00"
      "\x00\x01\x10\x02\x00\x00\x00\xc0\xe7\x8f\x9d\x00\x00\x00\x0f\x49\x44\x41\x54\x78\x9c\x63"
      "\x10\x32\x69\x60\xf8\xff\x1f\x00\x06\x74\x02\xc5\x65\x2a\x58\xe3\x00\x00\x00\x00\x49\x45"
      "\x4e\x44\xae\x42\x60\x82", 72));
  ASSERT_TRUE(load("deep.png"));
  EXPECT_EQ(bpp, 3);
  ASSERT_EQ(pixels.size(), 3u);
  EXPECT_NEAR(pixels[0], 0x12, 1);
  EXPECT_NEAR(pixels[1], 0x80, 1);
  EXPECT_EQ(pixels[2], 0xFF);
}

TEST_F(ImageTest, OtherFormatsBrokenAndMissingFilesAreRefusedUntouched) {
  testsupport::writeFile("anim.gif", std::string("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 13));
  testsupport::writeFile("pic.bmp", std::string("BM") + std::string(60, '\0'));
  testsupport::writeFile("cut.png", std::string("\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR", 16));
  testsupport::writeFile("cut.jpg", std::string("\xFF\xD8\xFF\xE0", 4));
  testsupport::writeFile("empty.png", "");
  for (const char* name : {"anim.gif", "pic.bmp", "cut.png", "cut.jpg", "empty.png", "none.png"}) {
    EXPECT_FALSE(load(name)) << name;
    EXPECT_EQ(width, -1) << name;
    EXPECT_EQ(bpp, -1) << name;
    EXPECT_TRUE(pixels.empty()) << name;
  }
}

// Damaged files once made the decoders wait for data that never came: each must be refused at
// once (a hang fails the test by its timeout).
TEST_F(ImageTest, FilesThatEndEarlyAreRefusedAtOnce) {
  const std::string damaged[] = {
      std::string("\xFF\xD8\xFF\xE0\x00\x10", 6),
      // a comment marker whose length runs past the end
      std::string("\xFF\xD8\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFE\xFF\xFF", 14),
      // header, a text chunk, then the end inside the next chunk's header
      std::string("\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x04"
                  "\x00\x00\x00\x04\x08\x02\x00\x00\x00\x26\x93\x09\x29\x00\x00\x00\x11\x74\x45\x58"
                  "\x74\x43\x6f\x6d\x6d\x65\x6e\x74\x00\x68\x61\x6c\x66\x63\x6f\x70\x79\x21\x62\xbe"
                  "\xb0\x59\x00\x00\x00\x0d", 66),
      // a gAMA chunk 11524 bytes long in a 45-byte file
      std::string("\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x04"
                  "\x00\x00\x00\x04\x08\x02\x00\x00\x00\x26\x93\x09\x29\x00\x00\x2d\x04\x67\x41\x4d"
                  "\x41\x00\x00\xb1\x8f", 45)};
  for (const std::string& bytes : damaged) {
    testsupport::writeFile("damaged.img", bytes);
    EXPECT_FALSE(load("damaged.img")) << bytes.size() << " bytes";
    EXPECT_EQ(width, -1);
  }

  // Every cut of a real picture, anywhere before its last byte.
  std::vector<uint8_t> rgba;
  for (int i = 0; i < 12 * 6; ++i) rgba.insert(rgba.end(), {uint8_t(i * 3), uint8_t(255 - i), 7, uint8_t(i)});
  std::vector<uint8_t> rgb;
  for (size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
  ASSERT_TRUE(testimages::writePng("whole.png", 12, 6, 4, rgba));
  ASSERT_TRUE(testimages::writeJpeg("whole.jpg", 12, 6, rgb));
  for (const char* name : {"whole.png", "whole.jpg"}) {
    const std::string whole = testsupport::readFile(name);
    ASSERT_FALSE(whole.empty()) << name;
    for (size_t length = 1; length < whole.size(); ++length) {
      testsupport::writeFile("cut.img", whole.substr(0, length));
      EXPECT_FALSE(load("cut.img")) << name << " cut to " << length << " bytes";
    }
    EXPECT_TRUE(load(name)) << name;
  }
}

TEST_F(ImageTest, BackslashPathsAndTwoLoadsGiveIndependentBuffers) {
  ASSERT_TRUE(platform::makeDirectory("data"));
  ASSERT_TRUE(testimages::writePng("data/x.png", 2, 2, 4, testimages::solid(2, 2, 1, 2, 3, 4)));
  ASSERT_TRUE(load("data\\x.png"));
  std::vector<uint8_t> first = pixels;
  ASSERT_TRUE(load("data\\x.png"));
  EXPECT_EQ(first, pixels);
  EXPECT_NE(first.data(), pixels.data());
}

TEST_F(ImageTest, MemTextureLeavesTheUnitsAsDocumented) {
  // Odd-width RGB rows are packed (9 bytes a row): the upload must not assume 4-byte rows.
  std::vector<uint8_t> rgb(3 * 3 * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint8_t(i * 9);
  GL_MemTexture texture;
  EXPECT_EQ(texture.width, 32);
  texture.create(rgb.data(), 3, 3, GL_RGB, GL_REPEAT, GL_CLAMP_TO_EDGE);
  EXPECT_EQ(texture.width, 3);
  EXPECT_EQ(texture.format, static_cast<GLenum>(GL_RGB));
  EXPECT_EQ(activeUnit(), GL_TEXTURE0);
  EXPECT_EQ(boundTexture(), static_cast<GLint>(texture.glName));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  std::vector<uint8_t> back(rgb.size());
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, back.data());
  EXPECT_EQ(back, rgb);
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 4);  // restored

  // bind enables texturing on the unit active before the call, not on the one it binds to.
  texture.bind(GL_TEXTURE1);
  EXPECT_EQ(activeUnit(), GL_TEXTURE1);
  EXPECT_EQ(boundTexture(), static_cast<GLint>(texture.glName));
  EXPECT_TRUE(texture2DEnabledOn(GL_TEXTURE0));
  EXPECT_FALSE(texture2DEnabledOn(GL_TEXTURE1));
  glActiveTexture(GL_TEXTURE2);
  texture.unbind();
  EXPECT_EQ(activeUnit(), GL_TEXTURE1);
  EXPECT_EQ(boundTexture(), 0);
  EXPECT_TRUE(texture2DEnabledOn(GL_TEXTURE0));

  GLuint name = texture.glName;
  texture.release();
  EXPECT_FALSE(glIsTexture(name));
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}

// ---------------------------------------------------------------------------------------------
// The texture manager

class TextureManagerTest : public ImageTest {
 protected:
  GL_TextureManager manager;
  void TearDown() override {
    manager.release();
    ImageTest::TearDown();
  }
  static GLint wrapS(GL_Texture* texture) {
    glBindTexture(GL_TEXTURE_2D, static_cast<GL_MemTexture*>(texture)->glName);
    GLint mode = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &mode);
    return mode;
  }
};

TEST_F(TextureManagerTest, DecodesANameOnceAndKeepsTheFirstWrapModes) {
  ASSERT_TRUE(testimages::writePng("starbuck.png", 4, 2, 4, testimages::solid(4, 2, 9, 9, 9, 255)));
  GL_Texture* first = manager.getTexture("starbuck.png", GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->width, 4);
  EXPECT_EQ(first->height, 2);
  EXPECT_EQ(first->format, static_cast<GLenum>(GL_RGBA));
  // Gone from disk: a second request must not decode again.
  ASSERT_TRUE(platform::deleteFile("starbuck.png"));
  GL_Texture* second = manager.getTexture("starbuck.png", GL_REPEAT, GL_REPEAT);
  EXPECT_EQ(second, first);
  EXPECT_EQ(wrapS(second), GL_CLAMP_TO_EDGE);
}

TEST_F(TextureManagerTest, MissingFileWarnsReturnsNullAndIsRetried) {
  DebugCapture capture;
  EXPECT_EQ(manager.getTexture("later.png", GL_REPEAT, GL_REPEAT), nullptr);
  EXPECT_TRUE(capture.contains("WARNING (textureManager): unable to load image file: later.png\n"));
  testsupport::writeFile("half.jpg", std::string("\xFF\xD8\xFF\xE0\x00\x10", 6));
  EXPECT_EQ(manager.getTexture("half.jpg", GL_REPEAT, GL_REPEAT), nullptr);
  EXPECT_TRUE(capture.contains("WARNING (textureManager): unable to load image file: half.jpg\n"));
  EXPECT_EQ(manager.getTexture("later.png", GL_REPEAT, GL_REPEAT), nullptr);
  ASSERT_TRUE(testimages::writePng("later.png", 2, 2, 3, std::vector<uint8_t>(12, 200)));
  GL_Texture* texture = manager.getTexture("later.png", GL_REPEAT, GL_REPEAT);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(texture->format, static_cast<GLenum>(GL_RGB));
  EXPECT_EQ(wrapS(texture), GL_REPEAT);
}

TEST_F(TextureManagerTest, TwoSpellingsAreTwoTexturesAndAddTextureKeepsTheFirst) {
  ASSERT_TRUE(platform::makeDirectory("data"));
  ASSERT_TRUE(testimages::writePng("data/p.png", 2, 2, 3, std::vector<uint8_t>(12, 1)));
  GL_Texture* a = manager.getTexture("data\\p.png", GL_REPEAT, GL_REPEAT);
  GL_Texture* b = manager.getTexture("data/p.png", GL_REPEAT, GL_REPEAT);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(manager.textures.size(), 2u);

  GL_MemTexture* extra = new GL_MemTexture();
  EXPECT_TRUE(manager.addTexture("data\\p.png", extra));  // held: caller keeps `extra`
  EXPECT_EQ(manager.getTexture("data\\p.png", GL_REPEAT, GL_REPEAT), a);
  delete extra;
  EXPECT_FALSE(manager.addTexture("made", new GL_MemTexture()));
}

TEST_F(TextureManagerTest, ReleaseFreesEveryGLTexture) {
  ASSERT_TRUE(testimages::writePng("r.png", 2, 2, 3, std::vector<uint8_t>(12, 1)));
  auto* texture = static_cast<GL_MemTexture*>(manager.getTexture("r.png", GL_REPEAT, GL_REPEAT));
  ASSERT_NE(texture, nullptr);
  GLuint name = texture->glName;
  EXPECT_TRUE(glIsTexture(name));
  manager.release();
  EXPECT_FALSE(glIsTexture(name));
}

}  // namespace
