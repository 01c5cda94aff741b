// Screen-space drawing: the screen quad (one textured rectangle over the viewport) and the copy
// of one render target into another through the current program.
// Depends on: render_target.h, shader.h.
#pragma once

#include <cstdint>

#include "gfx/render_target.h"
#include "gfx/shader.h"
#include "gfx/texture.h"

namespace qorFramework {

// Draws one GL_QUADS over the viewport with the current colour, textures, blending and program,
// scaled by `scale` about the viewport centre after moving by (offsetX, offsetY) in viewport
// units (x right, y down): a corner v lands at 0.5 + scale * (v + offset - 0.5). flipV false puts
// texture row t = 0 at the bottom (render targets upright); true puts it at the top (image files
// upright). Matrices are restored; the matrix mode is left at GL_MODELVIEW.
void drawScreenQuad(bool flipV, float scale, float offsetX, float offsetY);
// The same quad cut down to the part of the texture in `part`: every pixel it draws gets the
// texture coordinates the whole quad would give it. Nothing is drawn for an empty part.
void drawScreenQuadPart(bool flipV, float scale, float offsetX, float offsetY, const TextureRect& part);

// Draws source into target (resampled to target's size, bilinear) through the current program;
// with program 0 a plain copy. Same object, or a null pointer: nothing happens.
// Leaves framebuffer 0 bound, the viewport as it was, GL_TEXTURE0 active with texture 0 bound,
// GL_TEXTURE_2D enabled on the unit that was active at the call, and the colour white.
void renderToTarget(GL_FBOTexture* target, GL_FBOTexture* source);

}  // namespace qorFramework
