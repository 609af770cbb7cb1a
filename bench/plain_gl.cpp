#include "plain_gl.h"

#include <initializer_list>

namespace bench {

namespace {

// One white point light at uLightPosition (camera space), range 1000, no
// attenuation; ambient light 0.1; local viewer.
const char* kVertex = R"(#version 130
uniform mat4 uWorldView, uProj;
uniform mat3 uNormalMatrix;
uniform vec4 uMatDiffuse, uMatAmbient, uMatSpecular;
uniform float uPower;
uniform vec3 uLightPosition;
uniform bool uLit;
in vec3 aPosition;
in vec3 aNormal;
in vec4 aColor;
in vec2 aTex;
out vec4 vColor;
out vec4 vSpecular;
out vec2 vTex;
out vec3 vNormal;
void main()
{
    vec3 P = (uWorldView * vec4(aPosition, 1.0)).xyz;
    vNormal = vec3(0.0);
    if (uLit)
    {
        vec3 N = uNormalMatrix * aNormal;
        vNormal = N;
        vec3 d = uLightPosition - P;
        float dist = length(d);
        vec3 L = d / dist;
        float att = dist > 1000.0 ? 0.0 : 1.0;
        float ndl = dot(N, L);
        vec3 dif = vec3(0.0), spe = vec3(0.0);
        if (ndl > 0.0)
        {
            dif = att * ndl * vec3(1.0);
            spe = att * pow(max(dot(N, normalize(L - normalize(P))), 0.0), uPower) * vec3(1.0);
        }
        vColor = clamp(vec4(uMatAmbient.rgb * vec3(0.1) + uMatDiffuse.rgb * dif, uMatDiffuse.a), 0.0, 1.0);
        vSpecular = clamp(vec4(uMatSpecular.rgb * spe, 0.0), 0.0, 1.0);
    }
    else
    {
        vColor = aColor;
        vSpecular = vec4(0.0);
    }
    vTex = aTex;
    vec4 clip = uProj * vec4(P, 1.0);
    clip.z = 2.0 * clip.z - clip.w;
    gl_Position = clip;
}
)";

const char* kFragment = R"(#version 130
uniform bool uTextured, uReflected;
uniform sampler2D uTexture, uReflection;
in vec4 vColor;
in vec4 vSpecular;
in vec2 vTex;
in vec3 vNormal;
void main()
{
    vec4 c = uTextured ? vColor * texture2D(uTexture, vTex) : vColor;
    // A reflection map is added, looked up by the camera-space normal.
    if (uReflected)
        c.rgb += texture2D(uReflection, normalize(vNormal).xy * 0.5 + 0.5).rgb;
    gl_FragColor = clamp(vec4(c.rgb + vSpecular.rgb, c.a), 0.0, 1.0);
}
)";

enum : GLuint
{
    kPosition = 0,
    kNormal = 3,
    kColor = 5,
    kTex = 7
};

GLuint Shader(GLenum type, const char* text)
{
    GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &text, nullptr);
    glCompileShader(s);
    return s;
}

}  // namespace

PlainProgram MakePlainProgram()
{
    PlainProgram p;
    p.program = glCreateProgram();
    const GLuint shaders[2] = {Shader(GL_VERTEX_SHADER, kVertex), Shader(GL_FRAGMENT_SHADER, kFragment)};
    for (GLuint s : shaders)
        glAttachShader(p.program, s);
    glBindAttribLocation(p.program, kPosition, "aPosition");
    glBindAttribLocation(p.program, kNormal, "aNormal");
    glBindAttribLocation(p.program, kColor, "aColor");
    glBindAttribLocation(p.program, kTex, "aTex");
    glLinkProgram(p.program);
    // The shaders go with the program.
    for (GLuint s : shaders)
        glDeleteShader(s);
    glUseProgram(p.program);
    auto u = [&p](const char* name) { return glGetUniformLocation(p.program, name); };
    p.worldView = u("uWorldView");
    p.proj = u("uProj");
    p.normalMatrix = u("uNormalMatrix");
    p.diffuse = u("uMatDiffuse");
    p.ambient = u("uMatAmbient");
    p.specular = u("uMatSpecular");
    p.power = u("uPower");
    p.lightPosition = u("uLightPosition");
    p.lit = u("uLit");
    p.textured = u("uTextured");
    p.reflected = u("uReflected");
    glUniform1i(u("uTexture"), 0);
    glUniform1i(u("uReflection"), 1);
    glUniform1i(p.lit, 1);
    return p;
}

void DeletePlainProgram(const PlainProgram& p)
{
    glUseProgram(0);
    glDeleteProgram(p.program);
}

void PointPlainAttributes()
{
    // Position, blend weight and indices, normal, colour, texture sets.
    glVertexAttribPointer(kPosition, 3, GL_FLOAT, GL_FALSE, 68, nullptr);
    glVertexAttribPointer(kNormal, 3, GL_FLOAT, GL_FALSE, 68, reinterpret_cast<const void*>(20));
    glVertexAttribPointer(kColor, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 68, reinterpret_cast<const void*>(32));
    glVertexAttribPointer(kTex, 2, GL_FLOAT, GL_FALSE, 68, reinterpret_cast<const void*>(36));
    for (GLuint a : {kPosition, kNormal, kColor, kTex})
        glEnableVertexAttribArray(a);
}

void SetPlainMaterial(const PlainProgram& p, const D3DMATERIAL8& m)
{
    glUniform4fv(p.diffuse, 1, &m.Diffuse.r);
    glUniform4fv(p.ambient, 1, &m.Ambient.r);
    glUniform4fv(p.specular, 1, &m.Specular.r);
    glUniform1f(p.power, m.Power);
}

void Multiply(const D3DMATRIX& a, const D3DMATRIX& b, float out[16])
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
        {
            float s = 0;
            for (int k = 0; k < 4; ++k)
                s += a.m[r][k] * b.m[k][c];
            out[r * 4 + c] = s;
        }
}

void NormalMatrix(const float m[16], float out[9])
{
    const float a = m[0], b = m[1], c = m[2], d = m[4], e = m[5], f = m[6], g = m[8], h = m[9], i = m[10];
    const float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g, det = a * A + b * B + c * C;
    const float inv[9] = {A / det, -(b * i - c * h) / det, (b * f - c * e) / det,
                          B / det, (a * i - c * g) / det,  -(a * f - c * d) / det,
                          C / det, -(a * h - b * g) / det, (a * e - b * d) / det};
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 3; ++col)
            out[r * 3 + col] = inv[col * 3 + r];
}

void TransformPoint(const D3DVECTOR& p, const D3DMATRIX& m, float out[3])
{
    for (int c = 0; c < 3; ++c)
        out[c] = p.x * m.m[0][c] + p.y * m.m[1][c] + p.z * m.m[2][c] + m.m[3][c];
}

}  // namespace bench
