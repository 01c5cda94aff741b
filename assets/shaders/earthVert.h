// Planet lighting, vertex stage: eye-space normal and view direction for the fragment stage,
// the day texture's coordinates passed on. gl_NormalMatrix undoes the model's scaling in
// direction but not in length, so the fragment stage renormalises.
varying vec3 eyeNormal;
varying vec3 toEye;

void main()
{
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    eyeNormal = gl_NormalMatrix * gl_Normal;
    toEye = -eye.xyz;
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = ftransform();
}
