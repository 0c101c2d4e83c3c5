#pragma once

class ImageList;

// The pictures of the security windows' lists: 1 a user, 2 a group.
namespace PrincipalArt {

constexpr int kUserPicture = 1;
constexpr int kGroupPicture = 2;

// Empties `images` and adds the user and the group picture.
void FillPrincipalImages(ImageList& images);

} // namespace PrincipalArt
