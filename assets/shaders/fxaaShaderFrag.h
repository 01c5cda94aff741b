// Anti-aliasing pass, fragment stage: fast approximate anti-aliasing on the captured scene.
//
// 1. Luma of the pixel and its eight neighbours; where their contrast is low the pixel is
//    written back untouched, so flat areas (and gentle gradients) come out exactly as they went in.
// 2. The edge's orientation: horizontal when luma changes more from row to row than from
//    column to column; its far side is the neighbour across it with the larger luma step.
// 3. A short search along the edge in both directions, at 1, 3 and 7 pixels: the first place
//    where the mean of the two texels straddling the edge stops matching it marks that
//    direction's end.
// 4. Pixels near an end of a staircase step are blended across the edge, up to half a pixel,
//    the nearer the end the more; lone bright or dark pixels get a sub-pixel blend instead.
//
// The search is written without loops or early exits: a software renderer shades pixels in
// blocks and runs a branch whenever any pixel of the block takes it, so a fixed set of reads
// costs less than a walk that one pixel of the block continues. Every read is at a texel centre
// and the blend is explicit, so the result does not depend on the texture's filtering (the
// layer samples the scene with nearest filtering, the cheapest). Unit 0 holds the scene (the
// sampler is never set, so it reads unit 0); w and h are the target's size in pixels.
uniform sampler2D tex;
uniform float w;
uniform float h;

float luma(vec2 p)
{
    return dot(texture2D(tex, p).rgb, vec3(0.299, 0.587, 0.114));
}

// The mean luma of the texel at p and its neighbour across the edge.
float pairLuma(vec2 p, vec2 across)
{
    return 0.5 * (luma(p) + luma(p + across));
}

// How far the edge runs in one direction: 1, 3 or 7 pixels to the first read whose straddling
// mean differs from the edge's by `enough`, 8 when none does. `end` is that read's difference.
float edgeEnd(float e1, float e3, float e7, float enough, out float end)
{
    end = e7;
    float d = abs(e7) >= enough ? 7.0 : 8.0;
    if (abs(e3) >= enough) { d = 3.0; end = e3; }
    if (abs(e1) >= enough) { d = 1.0; end = e1; }
    return d;
}

void main()
{
    vec2 uv = gl_TexCoord[0].xy;
    vec2 px = vec2(1.0 / w, 1.0 / h);
    vec4 centre = texture2D(tex, uv);

    float lM = dot(centre.rgb, vec3(0.299, 0.587, 0.114));
    float lN = luma(uv + vec2(0.0, px.y));
    float lS = luma(uv - vec2(0.0, px.y));
    float lE = luma(uv + vec2(px.x, 0.0));
    float lW = luma(uv - vec2(px.x, 0.0));
    float lo = min(lM, min(min(lN, lS), min(lE, lW)));
    float hi = max(lM, max(max(lN, lS), max(lE, lW)));
    float range = hi - lo;
    if (range < max(0.0312, hi * 0.125)) {
        gl_FragColor = centre;
        return;
    }

    float lNE = luma(uv + vec2(px.x, px.y));
    float lNW = luma(uv + vec2(-px.x, px.y));
    float lSE = luma(uv + vec2(px.x, -px.y));
    float lSW = luma(uv + vec2(-px.x, -px.y));

    float rows = 2.0 * abs(lN + lS - 2.0 * lM) + abs(lNE + lSE - 2.0 * lE) + abs(lNW + lSW - 2.0 * lW);
    float cols = 2.0 * abs(lE + lW - 2.0 * lM) + abs(lNE + lNW - 2.0 * lN) + abs(lSE + lSW - 2.0 * lS);
    bool horizontal = rows >= cols;

    // Across: one pixel towards the far side of the edge. Along: one pixel along the edge.
    float lPos = horizontal ? lN : lE;
    float lNeg = horizontal ? lS : lW;
    bool towardsPos = abs(lPos - lM) >= abs(lNeg - lM);
    float lSide = towardsPos ? lPos : lNeg;
    vec2 across = horizontal ? vec2(0.0, px.y) : vec2(px.x, 0.0);
    if (!towardsPos) across = -across;
    vec2 along = horizontal ? vec2(px.x, 0.0) : vec2(0.0, px.y);

    float edgeLuma = 0.5 * (lM + lSide);
    float enough = 0.25 * abs(lSide - lM);

    // Straddling means at 1, 3 and 7 pixels both ways along the edge.
    float endNeg = 0.0;
    float endPos = 0.0;
    float dNeg = edgeEnd(pairLuma(uv - along, across) - edgeLuma, pairLuma(uv - 3.0 * along, across) - edgeLuma,
                         pairLuma(uv - 7.0 * along, across) - edgeLuma, enough, endNeg);
    float dPos = edgeEnd(pairLuma(uv + along, across) - edgeLuma, pairLuma(uv + 3.0 * along, across) - edgeLuma,
                         pairLuma(uv + 7.0 * along, across) - edgeLuma, enough, endPos);

    // Only the pixels on the side of the step that the nearer end turns away from are blended.
    bool negNearer = dNeg < dPos;
    float endDelta = negNearer ? endNeg : endPos;
    float nearest = min(dNeg, dPos);
    bool centreBelow = lM < edgeLuma;
    float edgeBlend = ((endDelta < 0.0) != centreBelow) ? 0.5 - nearest / (dNeg + dPos) : 0.0;

    // Sub-pixel aliasing: how much the pixel stands out from its neighbourhood's average.
    float average = (2.0 * (lN + lS + lE + lW) + lNE + lNW + lSE + lSW) / 12.0;
    float stand = clamp(abs(average - lM) / range, 0.0, 1.0);
    stand = (3.0 - 2.0 * stand) * stand * stand;
    float subBlend = 0.75 * stand * stand;

    vec4 side = texture2D(tex, uv + across);
    gl_FragColor = vec4(mix(centre.rgb, side.rgb, max(edgeBlend, subBlend)), centre.a);
}
