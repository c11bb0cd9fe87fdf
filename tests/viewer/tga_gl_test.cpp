// loadTgaTexture against a real OpenGL context (Mesa, under Xvfb).
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <vector>

#include "test_files.h"
#include "tga.h"

namespace {
class TgaUpload : public testing::Test {
protected:
    TempDir dir;
    std::string write(const TgaSpec& shape, const std::vector<uint8_t>& pixels, const char* name = "t.tga") {
        const std::string path = dir.file(name);
        writeBytes(path, makeTga(shape, pixels));
        return path;
    }
    static GLint boundTexture() {
        GLint name = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
        return name;
    }
    static std::vector<uint8_t> texImage(GLuint name, GLenum format, size_t bytes) {
        std::vector<uint8_t> out(bytes, 0xCD);
        glBindTexture(GL_TEXTURE_2D, name);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, out.data());
        return out;
    }
};
}  // namespace

TEST_F(TgaUpload, TrueColourArrivesAsRedGreenBlueWithRepeatAndLinearSampling) {
    TgaSpec shape;
    shape.width = 4;
    shape.height = 2;
    const std::vector<uint8_t> file = patternPixels(shape);
    ASSERT_EQ(loadTgaTexture(write(shape, file).c_str(), 7), kTgaLoaded);
    EXPECT_EQ(boundTexture(), 7);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_REPEAT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
    EXPECT_EQ(value, GL_REPEAT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR) << "no mipmaps";
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    EXPECT_EQ(value, GL_MODULATE);
    const std::vector<uint8_t> rgb = texImage(7, GL_RGB, file.size());
    for (size_t p = 0; p < 8; ++p) {
        EXPECT_EQ(rgb[3 * p], file[3 * p + 2]);
        EXPECT_EQ(rgb[3 * p + 1], file[3 * p + 1]);
        EXPECT_EQ(rgb[3 * p + 2], file[3 * p]);
    }
}

TEST_F(TgaUpload, EightBitImageIsAnAlphaOnlyTexture) {
    TgaSpec shape;
    shape.imageType = 3;
    shape.depth = 8;
    const std::vector<uint8_t> file = patternPixels(shape);
    ASSERT_EQ(loadTgaTexture(write(shape, file).c_str(), 8), kTgaLoaded);
    GLint internal = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
    EXPECT_TRUE(internal == GL_ALPHA || internal == GL_ALPHA8) << std::hex << internal;
    GLint redBits = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_RED_SIZE, &redBits);
    EXPECT_EQ(redBits, 0) << "colour comes from the drawing colour";
    EXPECT_EQ(texImage(8, GL_ALPHA, file.size()), file);
}

TEST_F(TgaUpload, FailedLoadChangesNeitherTheImageNorTheBinding) {
    TgaSpec shape;
    shape.depth = 32;
    const std::vector<uint8_t> file = patternPixels(shape);
    ASSERT_EQ(loadTgaTexture(write(shape, file, "good.tga").c_str(), 9), kTgaLoaded);
    const std::vector<uint8_t> before = texImage(9, GL_RGBA, file.size());
    glBindTexture(GL_TEXTURE_2D, 3);

    TgaSpec wide = shape;
    wide.width = 640;
    EXPECT_EQ(loadTgaTexture(write(wide, {}, "wide.tga").c_str(), 9), kTgaBadSize);
    std::vector<uint8_t> shortData = file;
    shortData.pop_back();
    EXPECT_EQ(loadTgaTexture(write(shape, shortData, "short.tga").c_str(), 9), kTgaShortData);
    EXPECT_EQ(loadTgaTexture(dir.file("missing.tga").c_str(), 9), kTgaCannotOpen);
    EXPECT_EQ(boundTexture(), 3);
    EXPECT_EQ(texImage(9, GL_RGBA, file.size()), before);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE);
    glutInitWindowSize(64, 64);
    glutCreateWindow("quorbel GL tests");
    return RUN_ALL_TESTS();
}
