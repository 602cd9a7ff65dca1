#version 440
// Samples one mip level of the view's texture at the fragment's place (the target has the size
// of the texture's level 0).
layout(location = 0) out vec4 colour;
layout(binding = 0) uniform sampler2D view_texture;
layout(push_constant) uniform Sample {
    float level;
} sample_info;

void main()
{
    vec2 target_size = vec2(textureSize(view_texture, 0));
    colour = textureLod(view_texture, gl_FragCoord.xy / target_size, sample_info.level);
}
