// Planet lighting, fragment stage. The sun shines from upper left front, fixed in eye space.
// Day side: the texture lit by the sun, warmer towards a soft terminator. Night side: the
// texture faintly, tinted blue. Oceans (blue-dominant texels) catch a small sun glint; the limb
// glows with a bluish atmosphere, strongest on the day side. Unit 0 ("light") holds the
// equirectangular day texture.
uniform sampler2D light;
varying vec3 eyeNormal;
varying vec3 toEye;

void main()
{
    vec3 n = normalize(eyeNormal);
    vec3 v = normalize(toEye);
    vec3 sun = normalize(vec3(-0.8, 0.45, 0.4));
    vec3 day = texture2D(light, gl_TexCoord[0].xy).rgb;

    float facing = dot(n, sun);
    float lit = smoothstep(-0.12, 0.3, facing);
    vec3 warm = mix(vec3(1.0, 0.72, 0.5), vec3(1.0), smoothstep(0.0, 0.35, facing));
    vec3 dayColour = day * warm * (0.08 + 1.05 * max(facing, 0.0));
    vec3 nightColour = day * vec3(0.05, 0.07, 0.12) + vec3(0.006, 0.012, 0.035);
    vec3 colour = mix(nightColour, dayColour, lit);

    float ocean = smoothstep(0.02, 0.12, day.b - max(day.r, day.g));
    vec3 halfway = normalize(sun + v);
    colour += vec3(1.0, 0.95, 0.85) * ocean * lit * 0.5 * pow(max(dot(n, halfway), 0.0), 40.0);

    float rim = pow(1.0 - max(dot(n, v), 0.0), 2.5);
    colour += vec3(0.3, 0.55, 1.0) * rim * (0.1 + 0.9 * smoothstep(-0.3, 0.5, facing));

    gl_FragColor = vec4(clamp(colour, 0.0, 1.0), 1.0);
}
