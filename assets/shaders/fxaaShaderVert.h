// Anti-aliasing pass, vertex stage: a screen quad whose texture coordinates run 0..1 over the
// target; they are passed on unchanged.
void main()
{
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = ftransform();
}
