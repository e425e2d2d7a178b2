Entry={customer={n=99999},monster={1}} LandElement=setmetatable({},{__index=function(t,k) while true do end end, }) Slot={{1,2,3,4,5,6,7,8,9,10,11}} Resources={}
Pass=setmetatable({n=70},{__index=function(t,k) return {1,1,1,n=1e9} end})
